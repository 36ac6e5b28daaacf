// SPDX-License-Identifier: MIT
// Further parameters by name: framed in the order given, decoded back and named by our decoder,
// accepted by spandsp's receiver, refused with a message when malformed, and taken from batch lines
// alike.
#include "cli_run.h"
#include "support/receivers.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::RunCli;

struct NamedCase {
    const char* label;
    std::vector<std::string> options;
    std::vector<std::string> decodedLines;  // as decode shows them, in this order
    std::string frameHex;                   // bytes the parameters add, with parity and lengths
};

class NamedParameters : public testing::TestWithParam<NamedCase> {};

TEST_P(NamedParameters, AreFramedInOrderAndDecodedByName)
{
    test::TempDir dir;
    std::vector<std::string> save = {"save", "--number", "0312345678", "-o", dir.File("p.wav")};
    save.insert(save.end(), GetParam().options.begin(), GetParam().options.end());
    ASSERT_EQ(RunCli(save).status, 0);
    const auto decoded = RunCli({"decode", dir.File("p.wav")});
    EXPECT_EQ(decoded.status, 0) << decoded.out << decoded.err;
    std::size_t at = 0;
    for (const std::string& line : GetParam().decodedLines) {
        const std::size_t found = decoded.out.find("  " + line + "\n", at);
        ASSERT_NE(found, std::string::npos) << line << " after " << at << " in\n" << decoded.out;
        at = found;
    }
    std::vector<std::string> frame = {"frame", "--number", "0312345678"};
    frame.insert(frame.end(), GetParam().options.begin(), GetParam().options.end());
    EXPECT_NE(RunCli(frame).out.find(GetParam().frameHex), std::string::npos);
}

TEST_P(NamedParameters, AreAcceptedBySpandspsReceiver)
{
    std::vector<std::string> save = {"save", "--number", "0312345678", "--rate", "8000", "--raw", "-o", "-"};
    save.insert(save.end(), GetParam().options.begin(), GetParam().options.end());
    const auto saved = RunCli(save);
    ASSERT_EQ(saved.status, 0);
    std::vector<std::int16_t> samples(saved.out.size() / 2);
    std::memcpy(samples.data(), saved.out.data(), samples.size() * 2);
    const test::JclipMessage message = test::JclipReceive(samples);
    EXPECT_EQ(message.nMessages, 1);
    EXPECT_EQ(message.text, "0312345678");
}

// Bytes with even parity in bit 7, worked out by hand: the type, the length, then the value;
// "12082338" is B1 B2 30 B8 B2 33 33 B8 after the date's type 81 and length 88.
INSTANTIATE_TEST_SUITE_P(
    Table, NamedParameters,
    testing::Values(
        NamedCase{"DateTime",
                  {"--datetime", "12082338"},
                  {"parameter 0x01 date and time: 12-08 23:38"},
                  "81 88 B1 B2 30 B8 B2 33 33 B8"},
        NamedCase{
            "Called", {"--called", "0120*#9"}, {"parameter 0x09 called number: 0120*#9"}, "09 87 30 B1 B2 30 AA A3 39"},
        NamedCase{"Extensions",
                  {"--number-ext", "01:7F", "--called-ext", "0a"},
                  {"parameter 0x21 caller number extension: 01 7F", "parameter 0x22 called number extension: 0A"},
                  "21 82 81 FF 22 81 0A"},
        NamedCase{"InTheOrderGiven",
                  {"--called", "5", "--param", "0x30:hex:41", "--datetime", "01010000", "--param", "48:B"},
                  {"parameter 0x09 called number: 5", "parameter 0x30: A", "parameter 0x01 date and time: 01-01 00:00",
                   "parameter 0x30: B"},
                  "09 81 35 30 81 41 81 88 30 B1 30 B1 30 30 30 30 30 81 42"}),
    [](const testing::TestParamInfo<NamedCase>& param) { return std::string(param.param.label); });

TEST(NamedParameters, DateTimeNowIsThisComputersClock)
{
    const auto framed = RunCli({"frame", "--reason", "P", "--datetime", "now", "--json"});
    ASSERT_EQ(framed.status, 0);
    EXPECT_NE(framed.out.find("\"name\":\"date and time\""), std::string::npos) << framed.out;
}

class MalformedParameters : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(MalformedParameters, AreRefusedWithTheirOption)
{
    std::vector<std::string> frame = {"frame", "--number", "1"};
    frame.insert(frame.end(), GetParam().begin(), GetParam().end());
    const auto result = RunCli(frame);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(GetParam()[0]), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedParameters,
    testing::Values(std::vector<std::string>{"--datetime", "13010000"},
                    std::vector<std::string>{"--datetime", "1208233"},
                    std::vector<std::string>{"--datetime", "12322338"},
                    std::vector<std::string>{"--datetime", "12082460"}, std::vector<std::string>{"--called", ""},
                    std::vector<std::string>{"--called", "012-345"},
                    std::vector<std::string>{"--called", std::string(33, '1')},
                    std::vector<std::string>{"--number-ext", "80"}, std::vector<std::string>{"--number-ext", "1"},
                    std::vector<std::string>{"--called-ext", "zz"}, std::vector<std::string>{"--param", "300:x"},
                    std::vector<std::string>{"--param", "0x30:hex:8000"}, std::vector<std::string>{"--param", "x"}));

TEST(NamedParameters, BatchLinesTakeThemAsFields)
{
    test::TempDir dir;
    const std::string batch = dir.File("lines.txt");
    test::WriteFile(batch, {});
    const std::string lines = "number 0312345678 datetime=12082338 called=0120\nreason P number-ext=0102 name=p\n"
                              "number 1 datetime=9999\n";
    const auto run = RunCli({"batch", "-", "--dir", dir.Path(), "--called-ext", "7F", "-q"}, {"LANG=C"}, lines);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("line 3: --datetime is now or MMDDhhmm"), std::string::npos) << run.err;
    const auto first = RunCli({"decode", dir.File("number_0312345678.wav")});
    EXPECT_NE(
        first.out.find("  parameter 0x22 called number extension: 7F\n  parameter 0x01 date and time: 12-08 23:38\n"
                       "  parameter 0x09 called number: 0120\n"),
        std::string::npos)
        << first.out;
    const auto second = RunCli({"decode", dir.File("p.wav")});
    EXPECT_NE(second.out.find("  parameter 0x21 caller number extension: 01 02\n"), std::string::npos) << second.out;
}

}  // namespace
}  // namespace corvane
