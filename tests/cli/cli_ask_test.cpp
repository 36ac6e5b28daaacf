// SPDX-License-Identifier: MIT
// corvane-cli with an operator as the judge: answers scripted on standard input, the plays
// captured on a test ALSA device that keeps every play, and the results written as CSV, JSON and
// a report that stands alone.
#include "cli_run.h"
#include "support/alsa_test_config.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::CliRun;
using test::RunCli;
using test::TempDir;

// A test device that appends each play to $AUDIO_CAPTURE_FILE instead of starting it afresh,
// through a shell command of the file plugin's.
constexpr char kKeepingDevice[] = "type file slave.pcm { type null } format raw "
                                  "file \"|cat >>\\\"$AUDIO_CAPTURE_FILE\\\"\"";

std::string Text(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// The signal's samples as a play at full volume puts them on the device.
std::string Signal(const std::vector<std::string>& options)
{
    std::vector<std::string> arguments = {"save", "-o", "-", "--raw"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

// The CSV's rows without their last field, the time of the answer.
std::vector<std::string> RowsWithoutTime(const std::string& csv)
{
    std::vector<std::string> rows;
    std::istringstream lines(csv);
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line.substr(0, line.rfind(',')));
    return rows;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class Ask : public testing::Test {
protected:
    CliRun Sweep(const std::string& answers, const std::vector<std::string>& more = {})
    {
        std::vector<std::string> arguments = {"sweep", "--reason", "P",        "--vary", "stop-bits=1:2:1", "--seeds",
                                              "2",     "--ask",    "--volume", "100",    "--amplitude",     "100"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return RunCli(arguments, {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("capture.raw")}, answers);
    }

    const test::TestAlsaConfig alsa{kKeepingDevice};
    TempDir dir;
};

// y, a word that is no answer (asked again), n, r (the same signal played again), s, y.
TEST_F(Ask, RecordsTheAnswersAndPlaysAgainOnR)
{
    const CliRun run = Sweep("y\nmaybe\nn\nr\ns\ny\n", {"--csv", dir.File("a.csv"), "--json", dir.File("a.json")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Count(run.err, "The terminal should show: no number, reason P"), 6U) << run.err;
    EXPECT_NE(run.err.find("(stop-bits=2.00, seed 1)"), std::string::npos) << run.err;
    EXPECT_EQ(RowsWithoutTime(Text(test::ReadFile(dir.File("a.csv")))),
              (std::vector<std::string>{"stop-bits,seed,result,judge", "1.00,1,pass,operator", "1.00,2,fail,operator",
                                        "2.00,1,skip,operator", "2.00,2,pass,operator"}));
    EXPECT_NE(run.out.find("stop-bits=1.00: 1 of 2 decoded"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("stop-bits=2.00: 1 of 1 decoded"), std::string::npos) << run.out;
    const std::string json = Text(test::ReadFile(dir.File("a.json")));
    EXPECT_NE(json.find("\"complete\":true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"judged\":1,\"passed\":1,\"seeds\":2"), std::string::npos) << json;

    // Five plays: the first signal, the second, and the third twice before the fourth.
    const std::string one = Signal({"--reason", "P", "--amplitude", "100"});
    const std::string two = Signal({"--reason", "P", "--amplitude", "100", "--stop-bits", "2"});
    EXPECT_TRUE(Text(test::ReadFile(dir.File("capture.raw"))) == one + one + two + two + two);
}

TEST_F(Ask, QStopsAndStillWritesWhatWasJudged)
{
    const CliRun run =
        Sweep("y\nq\n", {"--csv", dir.File("q.csv"), "--json", dir.File("q.json"), "--report", dir.File("q.html")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Stopped; --resume"), std::string::npos) << run.err;
    EXPECT_EQ(RowsWithoutTime(Text(test::ReadFile(dir.File("q.csv")))),
              (std::vector<std::string>{"stop-bits,seed,result,judge", "1.00,1,pass,operator"}));
    EXPECT_NE(Text(test::ReadFile(dir.File("q.json"))).find("\"complete\":false"), std::string::npos);
    const std::string html = Text(test::ReadFile(dir.File("q.html")));
    EXPECT_NE(html.find("no: stopped before its end"), std::string::npos);
    EXPECT_NE(html.find("1 of 1 signals judged passed"), std::string::npos);
}

TEST_F(Ask, TheEndOfTheAnswersStopsTheRun)
{
    const CliRun run = Sweep("y\n", {"--csv", dir.File("e.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("No more answers"), std::string::npos) << run.err;
    EXPECT_EQ(RowsWithoutTime(Text(test::ReadFile(dir.File("e.csv")))).size(), 2U);
}

TEST_F(Ask, AResumedSweepGivesTheTableOfAnUninterruptedOne)
{
    ASSERT_EQ(Sweep("y\nn\ns\ny\n", {"--csv", dir.File("whole.csv")}).status, 0);
    ASSERT_EQ(Sweep("y\nq\n", {"--json", dir.File("part.json")}).status, 0);
    const CliRun resumed = Sweep("n\ns\ny\n", {"--resume", dir.File("part.json"), "--csv", dir.File("resumed.csv")});
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(Count(resumed.err, "The terminal should show"), 3U) << resumed.err;
    EXPECT_EQ(RowsWithoutTime(Text(test::ReadFile(dir.File("resumed.csv")))),
              RowsWithoutTime(Text(test::ReadFile(dir.File("whole.csv")))));

    // Another sweep's results are refused, before anything is played.
    const CliRun other = RunCli({"sweep", "--reason", "P", "--vary", "stop-bits=1:2:1", "--seeds", "3", "--ask",
                                 "--resume", dir.File("part.json")},
                                {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("other.raw")}, "y\n");
    EXPECT_EQ(other.status, 2);
    EXPECT_NE(other.err.find("the results of another sweep"), std::string::npos) << other.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("other.raw")));
}

// n, then r and y for the second line, then q at the third: two lines judged, four plays.
TEST_F(Ask, ABatchIsJudgedLineByLine)
{
    const std::string lines = "number 0312345678\nreason P  # private\nreason O\n";
    std::ofstream(dir.File("lines.txt")) << lines;
    const CliRun run = RunCli({"batch", dir.File("lines.txt"), "--play", "--ask", "--gap-ms", "0", "--csv",
                               dir.File("b.csv"), "--json", dir.File("b.json"), "--report", dir.File("b.html")},
                              {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("capture.raw")}, "n\nr\ny\nq\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Count(run.err, "The terminal should show: "), 4U) << run.err;
    EXPECT_EQ(
        RowsWithoutTime(Text(test::ReadFile(dir.File("b.csv")))),
        (std::vector<std::string>{"line,text,expected,result,judge", "1,number 0312345678,0312345678,fail,operator",
                                  "2,reason P,\"no number, reason P\",pass,operator"}));
    EXPECT_NE(Text(test::ReadFile(dir.File("b.json"))).find("\"complete\":false"), std::string::npos);
    EXPECT_NE(Text(test::ReadFile(dir.File("b.html"))).find("1 of 2 lines judged were shown correctly"),
              std::string::npos);
    const std::string number = Signal({"--number", "0312345678"});
    const std::string reasonP = Signal({"--reason", "P"});
    const std::string reasonO = Signal({"--reason", "O"});
    EXPECT_EQ(Text(test::ReadFile(dir.File("capture.raw"))).size(),
              number.size() + 2 * reasonP.size() + reasonO.size());
}

// The report: one file with nothing from elsewhere, its settings, table, plot and summary.
TEST_F(Ask, TheReportStandsAlone)
{
    ASSERT_EQ(Sweep("y\ny\nn\nn\n", {"--report", dir.File("r.html")}).status, 0);
    const std::string html = Text(test::ReadFile(dir.File("r.html")));
    for (const char* pPart : {"<!DOCTYPE html>", "<svg ", "stop-bits", "the operator", "default, volume 100",
                              "The pass rate crosses 50 % at stop-bits = 1.50.", "size: A4"})
        EXPECT_NE(html.find(pPart), std::string::npos) << pPart;
    for (const char* pReference : {"http:", "https:", "src=", "href=", "<link", "<script", "url(", "@import"})
        EXPECT_EQ(html.find(pReference), std::string::npos) << pReference;
}

// Each signal's time is the local time with the zone's offset, half hours and west of UTC too.
TEST(JudgementTimes, AreLocalWithTheZonesOffset)
{
    TempDir dir;
    for (const auto& [zone, offset] :
         {std::pair{"Asia/Tokyo", "+09:00"}, std::pair{"America/St_Johns", "-03:30"}, std::pair{"UTC", "+00:00"}}) {
        const CliRun run =
            RunCli({"sweep", "--reason", "P", "--vary", "stop-bits=1:1:1", "--seeds", "1", "--csv", dir.File("t.csv")},
                   {"LANG=C", std::string("TZ=") + zone});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string csv = Text(test::ReadFile(dir.File("t.csv")));
        const std::string time = csv.substr(csv.rfind(',') + 1);
        EXPECT_EQ(time.size(), 26U) << time;  // 2026-12-10T18:34:02+09:00 and its line end
        EXPECT_EQ(time.substr(19, 6), offset) << zone << ": " << time;
    }
}

class AskRefuses : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(AskRefuses, WithStatusTwoBeforePlaying)
{
    TempDir dir;
    std::ofstream(dir.File("lines.txt")) << "reason P\n";
    std::vector<std::string> arguments = GetParam();
    for (std::string& argument : arguments) {
        if (argument == "LINES")
            argument = dir.File("lines.txt");
    }
    const CliRun run = RunCli(arguments, {"LANG=C"}, "y\n");
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_FALSE(run.err.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, AskRefuses,
    testing::Values(std::vector<std::string>{"batch", "LINES", "--dir", ".", "--ask"},
                    std::vector<std::string>{"batch", "LINES", "--play", "--csv", "x.csv"},
                    std::vector<std::string>{"batch", "-", "--play", "--ask"},
                    std::vector<std::string>{"sweep", "--reason", "P", "--vary", "snr=1:2:1", "--ask", "--loopback"},
                    std::vector<std::string>{"sweep", "--reason", "P", "--vary", "snr=1:2:1", "--resume", "LINES"}));

}  // namespace
}  // namespace corvane
