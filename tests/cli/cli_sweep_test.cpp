// SPDX-License-Identifier: MIT
// corvane-cli sweep: the same table for the same seeds, a pass rate that falls as the level falls
// below the decoder's floor, results as CSV and JSON, and a receiver of the user's own.
#include "cli_run.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::RunCli;

TEST(Sweep, GivesTheSameTableForTheSameSeeds)
{
    const std::vector<std::string> sweep = {
        "sweep", "--number", "0312345678", "--vary", "snr=-2:2:2", "--vary", "tone-offset-pct=-5:5:5", "--seeds", "4"};
    const auto first = RunCli(sweep);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(RunCli(sweep).out, first.out);
    EXPECT_NE(first.out.find("snr=-2.00 tone-offset-pct=-5.00: "), std::string::npos) << first.out;
    EXPECT_EQ(std::count(first.out.begin(), first.out.end(), '\n'), 9);
}

// The decoder hears tones down to about -75 dBFS: below, no frame can pass, and above, more than
// below. Written as CSV, a row a signal: the parameter, the seed, the result and who judged it.
TEST(Sweep, PassesFallAsTheLevelFallsBelowTheFloor)
{
    test::TempDir dir;
    const auto run = RunCli({"sweep", "--reason", "P", "--vary", "level-dbfs=-60:-90:5", "--seeds", "2", "--csv",
                             dir.File("level.csv"), "--json", dir.File("level.json")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto bytes = test::ReadFile(dir.File("level.csv"));
    std::istringstream csv(std::string(bytes.begin(), bytes.end()));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "level-dbfs,seed,result,judge,time");
    std::vector<std::string> levels;
    std::vector<int> passed;
    while (std::getline(csv, line)) {
        const std::string level = line.substr(0, line.find(','));
        if (levels.empty() || levels.back() != level) {
            levels.push_back(level);
            passed.push_back(0);
        }
        passed.back() += line.find(",pass,decoder,") != std::string::npos ? 1 : 0;
        EXPECT_TRUE(line.find(",pass,decoder,") != std::string::npos ||
                    line.find(",fail,decoder,") != std::string::npos)
            << line;
    }
    ASSERT_EQ(passed.size(), 7U);
    EXPECT_TRUE(std::is_sorted(passed.rbegin(), passed.rend())) << testing::PrintToString(passed);
    EXPECT_EQ(passed.front(), 2);
    EXPECT_EQ(passed.back(), 0);
    const auto json = test::ReadFile(dir.File("level.json"));
    EXPECT_NE(std::string(json.begin(), json.end()).find("\"judged\":2,\"level-dbfs\":-90.0,\"passed\":0"),
              std::string::npos);
}

TEST(Sweep, AsksAReceiverOfTheUsersOwn)
{
    // A receiver that passes what it is given, and one that prints the number but fails, in the
    // syntax of the shell that runs them.
    const bool bCmd = test::ShellIsCmd();
    const auto all = RunCli({"sweep", "--number", "0312345678", "--vary", "stop-bits=1:2:1", "--seeds", "1",
                             "--receiver", bCmd ? "if exist {} echo 0312345678" : "test -s {} && echo 0312345678"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("stop-bits=2.00: 1 of 1 decoded"), std::string::npos) << all.out;
    const auto none = RunCli({"sweep", "--number", "0312345678", "--vary", "stop-bits=1:1:1", "--seeds", "1",
                              "--receiver", bCmd ? "echo 0312345678 & exit 1 & rem {}" : "echo 0312345678; false {}"});
    EXPECT_NE(none.out.find("0 of 1 decoded"), std::string::npos) << none.out;
}

// The plot: a PNG picture of its size with more than a background, or an SVG drawing that parses
// as XML (its elements closed) and holds its title and axes in words.
TEST(Sweep, DrawsItsPlot)
{
    test::TempDir dir;
    const auto run = RunCli({"sweep", "--number", "0312345678", "--vary", "snr=0:4:2", "--vary", "stop-bits=1:2:1",
                             "--seeds", "2", "--plot", dir.File("p.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto png = test::ReadFile(dir.File("p.png"));
    ASSERT_GT(png.size(), 24U);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    const auto be32 = [&png](std::size_t at) {
        return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    };
    EXPECT_EQ(be32(16), 800);      // IHDR width
    EXPECT_EQ(be32(20), 500);      // and height
    EXPECT_GT(png.size(), 5000U);  // a blank picture compresses to far less

    ASSERT_EQ(
        RunCli({"sweep", "--number", "1", "--vary", "snr=0:2:2", "--seeds", "1", "--plot", dir.File("p.svg")}).status,
        0);
    const auto bytes = test::ReadFile(dir.File("p.svg"));
    const std::string svg(bytes.begin(), bytes.end());
    const auto run2 = test::RunProgram("/usr/bin/xmllint", {"--noout", dir.File("p.svg")});
    EXPECT_EQ(run2.status, 0) << run2.err;
    for (const char* pText :
         {">Frames decoded exactly by corvane-cli decode</text>", ">signal-to-noise ratio (dB)</text>",
          ">frames decoded exactly (%)</text>", ">pass rate</text>"})
        EXPECT_NE(svg.find(pText), std::string::npos) << pText;
    EXPECT_EQ(RunCli({"sweep", "--number", "1", "--vary", "snr=0:2:2", "--plot", dir.File("p.gif")}).status, 2);
}

// The picture of a decode: wide enough for every cell, each byte's value under its cells, the
// fields named, and a fault in red at its byte and in words.
TEST(DecodePlot, DrawsTheFrameWithItsFaultsInRed)
{
    test::TempDir dir;
    ASSERT_EQ(RunCli({"save", "--number", "0312345678", "--corrupt", "parity:9", "-o", dir.File("bad.wav")}).status, 0);
    const auto run = RunCli({"decode", dir.File("bad.wav"), "--plot", dir.File("bad.svg")});
    EXPECT_EQ(run.status, 1) << run.err;  // the frame's faults, as without --plot
    const auto bytes = test::ReadFile(dir.File("bad.svg"));
    const std::string svg(bytes.begin(), bytes.end());
    EXPECT_EQ(test::RunProgram("/usr/bin/xmllint", {"--noout", dir.File("bad.svg")}).status, 0);
    const std::string red = "fill=\"rgb(214,38,41)\" text-anchor=\"middle\">8A</text>";
    EXPECT_NE(svg.find(red), std::string::npos) << "byte 9 in red";
    EXPECT_NE(svg.find(">fault: parity error in byte 9</text>"), std::string::npos);
    for (const char* pText :
         {">DLE SOH</text>", ">message type</text>", ">parameter 0x02</text>", ">check</text>", ">30</text>"})
        EXPECT_NE(svg.find(pText), std::string::npos) << pText;

    ASSERT_EQ(RunCli({"decode", dir.File("bad.wav"), "--plot", dir.File("bad.png")}).status, 1);
    const auto png = test::ReadFile(dir.File("bad.png"));
    ASSERT_GT(png.size(), 24U);
    EXPECT_GT(png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19], 23 * 10 * 7);  // 23 bytes of 10 cells
}

class SweepRefuses : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(SweepRefuses, WithAMessage)
{
    std::vector<std::string> arguments = {"sweep", "--number", "1"};
    arguments.insert(arguments.end(), GetParam().begin(), GetParam().end());
    const auto run = RunCli(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(run.err.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, SweepRefuses,
                         testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--vary", "volume=1:2:1"},
                                         std::vector<std::string>{"--vary", "snr=1:2"},
                                         std::vector<std::string>{"--vary", "snr=1:2:0"},
                                         std::vector<std::string>{"--vary", "snr=1:2:1", "--vary", "snr=1:2:1"},
                                         std::vector<std::string>{"--vary", "tone-offset-pct=0:20:5"},
                                         std::vector<std::string>{"--vary", "snr=0:100:0.001"}));

}  // namespace
}  // namespace corvane
