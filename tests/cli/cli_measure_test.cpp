// SPDX-License-Identifier: MIT
// decode's measurements as a script reads them: in JSON and CSV, in dBm with a calibration,
// checked against a limits file (and every limits file refused that should be), and a line
// watched until Ctrl-C, each frame given once, in order, in bounded memory.
#include "cli_run.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::RunCli;
using test::TempDir;

// The dialog's signal for a number, saved as a WAVE file (mark 1333.3 Hz, space 2181.8 Hz, 80
// lead and 40 trailing marks, 200 ms of silence at each end).
std::string SavedSignal(const TempDir& dir, const std::string& number = "0312345678")
{
    const std::string path = dir.File(number + ".wav");
    RunCli({"save", "--number", number, "-o", path});
    return path;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

struct LimitsCase {
    const char* label;
    const char* limits;  // the file's text
    int status;
    const char* said;  // on standard output for a check, on standard error for a refusal
};

const LimitsCase kLimits[] = {
    {"inside", R"({"markHz": [1300, 1340], "spaceHz": [2150, 2200], "leadMarkBits": [80, 80]})", 0, "silence: "},
    {"above", R"({"markHz": [1280, 1320]})", 1, "outside the limits: mark 1333.3 Hz outside 1280 to 1320"},
    {"below", R"({"snrDb": [20, null], "trailMarkBits": [41, null]})", 1,
     "outside the limits: trailing marks 40 below 41"},
    {"max_only", R"({"silenceBeforeMs": [null, 150]})", 1, "silence before 200.0 ms above 150"},
    {"both_open", R"({"twistDb": [null, null]})", 0, "twist 0.00 dB"},
    {"edges_kept", R"({"baud": [1200, 1200], "stopBitsMin": [1, 1]})", 0, "1200.00 baud"},
    {"min_above_max", R"({"markHz": [1320, 1280]})", 2, "gives \"markHz\" a min above its max"},
    {"unknown", R"({"markHertz": [1, 2]})", 2, "names \"markHertz\", which is no measurement"},
    {"not_object", R"([1280, 1320])", 2, "is not a JSON object"},
    {"not_json", "markHz 1280 1320", 2, "is not a JSON object"},
    {"one_bound", R"({"markHz": [1280]})", 2, "gives \"markHz\" no [min, max]"},
    {"text_bound", R"({"markHz": ["1280", 1320]})", 2, "gives \"markHz\" no [min, max]"},
    {"dbm_uncalibrated", R"({"markDbm": [-20, 0]})", 2, "needs --cal-dbm"},
};

class Limits : public testing::TestWithParam<LimitsCase> {};

TEST_P(Limits, AreCheckedOrRefused)
{
    const LimitsCase& limits = GetParam();
    TempDir dir;
    std::ofstream(dir.File("limits.json")) << limits.limits;
    // A refusal comes before the recording is read: here there is none to read.
    const std::string recording = limits.status == 2 ? dir.File("none.wav") : SavedSignal(dir);
    const auto run = RunCli({"decode", recording, "--limits", dir.File("limits.json")});
    EXPECT_EQ(run.status, limits.status) << run.out << run.err;
    EXPECT_NE((limits.status == 2 ? run.err : run.out).find(limits.said), std::string::npos) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(Decode, Limits, testing::ValuesIn(kLimits),
                         [](const testing::TestParamInfo<LimitsCase>& param) { return param.param.label; });

TEST(Limits, TheExampleFileHoldsTheDialogsSignal)
{
    TempDir dir;
    const auto run = RunCli({"decode", SavedSignal(dir), "--limits", CORVANE_SOURCE_DIR "/docs/limits-example.json"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

TEST(Limits, AFileThatCannotBeReadIsRefused)
{
    TempDir dir;
    const auto run = RunCli({"decode", SavedSignal(dir), "--limits", dir.File("missing.json")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Cannot read the limits file"), std::string::npos) << run.err;
}

TEST(Measures, JsonCarriesEveryMeasurementAndDbmWithACalibration)
{
    TempDir dir;
    const std::string path = SavedSignal(dir);
    const auto plain = RunCli({"decode", path, "--json"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    const nlohmann::json frame = nlohmann::json::parse(Lines(plain.out).at(0));
    EXPECT_NEAR(frame.at("markHz").get<double>(), 1333.3, 0.1);
    EXPECT_NEAR(frame.at("spaceHz").get<double>(), 2181.8, 0.1);
    EXPECT_EQ(frame.at("leadMarkBits"), 80);
    EXPECT_EQ(frame.at("trailMarkBits"), 40);
    EXPECT_EQ(frame.at("silenceAfterMs"), 200.0);
    EXPECT_FALSE(frame.contains("markDbm"));
    EXPECT_TRUE(frame.at("outsideLimits").empty());
    for (const auto& [arguments, environment] :
         {std::pair{std::vector<std::string>{"decode", path, "--json", "--cal-dbm", "-10"},
                    std::vector<std::string>{"LANG=C"}},
          std::pair{std::vector<std::string>{"decode", path, "--json"},
                    std::vector<std::string>{"LANG=C", "CORVANE_CAL_DBM=-10"}}}) {
        const auto calibrated = RunCli(arguments, environment);
        const nlohmann::json json = nlohmann::json::parse(Lines(calibrated.out).at(0));
        EXPECT_NEAR(json.at("markDbm").get<double>(), frame.at("markDbfs").get<double>() - 10, 0.011);
        EXPECT_NEAR(json.at("spaceDbm").get<double>(), frame.at("spaceDbfs").get<double>() - 10, 0.011);
    }
    const auto badCalibration = RunCli({"decode", path}, {"LANG=C", "CORVANE_CAL_DBM=loud"});
    EXPECT_EQ(badCalibration.status, 2);
}

TEST(Measures, CsvRowsAreAppendedUnderOneHeader)
{
    TempDir dir;
    const std::string csv = dir.File("line.csv");
    for (const std::string number : {"0311111111", "0322222222"}) {
        const auto run = RunCli({"decode", SavedSignal(dir, number), "--csv", csv});
        EXPECT_EQ(run.status, 0) << run.err;
    }
    std::ifstream file(csv);
    const std::vector<std::string> lines = Lines(std::string(std::istreambuf_iterator<char>(file), {}));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("frame,startSeconds,startTime,valid,bytes,markHz,spaceHz,baud,", 0), 0u) << lines[0];
    for (std::size_t i = 1; i < 3; ++i)
        EXPECT_EQ(lines[i].rfind("1,0.2667,,true,90 81", 0), 0u) << lines[i];
    const auto unwritable = RunCli({"decode", SavedSignal(dir), "--csv", dir.File("no/such/dir.csv")});
    EXPECT_EQ(unwritable.status, 1);
}

// A test device whose input is the signals of four numbers one after the other, then silence
// for ever, given as fast as they are read.
TEST(Monitor, EachFrameOnceInOrderInBoundedMemoryUntilCtrlC)
{
    TempDir dir;
    std::string line;
    for (int i = 1; i <= 4; ++i) {
        const auto saved = RunCli({"save", "--number", "031234567" + std::to_string(i), "--raw", "-o", "-"});
        line += saved.out;
    }
    std::ofstream(dir.File("line.raw"), std::ios::binary) << line;
    std::ofstream(dir.File("asound.conf")) << "pcm.!default { type file slave.pcm { type null } format raw file "
                                              "\"/dev/null\" infile \""
                                           << dir.File("line.raw") << "\" }\n";
    // Memory as the kernel counts it, read twice while the line is watched: the second hour of a
    // watch needs no more than the first.
    const std::string script = "\"$0\" decode --capture --csv \"$1\" & pid=$!; sleep 1.5; "
                               "first=$(awk '/^VmHWM/ { print $2 }' /proc/$pid/status); sleep 1.5; "
                               "second=$(awk '/^VmHWM/ { print $2 }' /proc/$pid/status); "
                               "kill -INT $pid; wait $pid; status=$?; echo \"memory $first $second\" >&2; exit $status";
    const auto run = test::RunProgram(
        "/bin/sh", {"-c", script, CORVANE_CLI, dir.File("line.csv")},
        {"LANG=C", "ALSA_CONFIG_PATH=" + dir.File("asound.conf"), "ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=1"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    std::vector<std::string> numbers;
    for (const std::string& text : Lines(run.out)) {
        if (text.find("caller number: ") != std::string::npos)
            numbers.push_back(text.substr(text.find(": ") + 2));
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"0312345671", "0312345672", "0312345673", "0312345674"})) << run.out;
    EXPECT_NE(run.out.find("began at 20"), std::string::npos) << run.out;
    std::ifstream file(dir.File("line.csv"));
    const std::vector<std::string> rows = Lines(std::string(std::istreambuf_iterator<char>(file), {}));
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].rfind(std::to_string(i) + ",", 0), 0u) << rows[i];
    std::istringstream memory(run.err.substr(run.err.find("memory ") + 7));
    long long first = 0, second = 0;
    memory >> first >> second;
    ASSERT_GT(first, 0) << run.err;
    EXPECT_LT(second - first, 16 * 1024) << run.err;  // kB
}

}  // namespace
}  // namespace corvane
