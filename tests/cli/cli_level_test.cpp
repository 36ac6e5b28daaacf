// SPDX-License-Identifier: MIT
// Levels in dBm against the output's calibration, and the steady tone that calibrates it.
#include "cli_run.h"
#include "support/alsa_test_config.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <sndfile.h>

namespace corvane {
namespace {

using test::RunCli;

struct DbmCase {
    const char* label;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    double peakDbfs;
};

class LevelInDbm : public testing::TestWithParam<DbmCase> {};

// The peak in dBFS that the JSON reports: a sine's is the level less the calibration, the square's
// 10 log10(2) = 3.0103 dB lower, its power being twice a sine's of the same peak.
TEST_P(LevelInDbm, SetsThePeakThatTheCalibrationGives)
{
    std::vector<std::string> arguments = {"frame", "--number", "0312345678", "--json"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    std::vector<std::string> environment = {"LANG=C"};
    environment.insert(environment.end(), GetParam().environment.begin(), GetParam().environment.end());
    const auto run = RunCli(arguments, environment);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::size_t at = run.out.find("\"levelDbfs\":");
    ASSERT_NE(at, std::string::npos) << run.out;
    EXPECT_NEAR(std::stod(run.out.substr(at + 12)), GetParam().peakDbfs, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LevelInDbm,
    testing::Values(DbmCase{"Sine", {"--waveform", "sine", "--level-dbm", "-20", "--cal-dbm", "-3"}, {}, -17},
                    DbmCase{"Square", {"--level-dbm", "-20", "--cal-dbm", "-3"}, {}, -20.0103},
                    DbmCase{"CalibrationFromTheEnvironment",
                            {"--waveform", "sine", "--level-dbm", "-10"},
                            {"CORVANE_CAL_DBM=2.5"},
                            -12.5},
                    DbmCase{"TheOptionBeforeTheEnvironment",
                            {"--waveform", "sine", "--level-dbm", "-10", "--cal-dbm", "0"},
                            {"CORVANE_CAL_DBM=2.5"},
                            -10}),
    [](const testing::TestParamInfo<DbmCase>& param) { return std::string(param.param.label); });

class LevelInDbmRefused : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(LevelInDbmRefused, WithAMessage)
{
    std::vector<std::string> arguments = {"frame", "--number", "1"};
    arguments.insert(arguments.end(), GetParam().begin(), GetParam().end());
    const auto run = RunCli(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, LevelInDbmRefused,
    testing::Values(std::vector<std::string>{"--level-dbm", "-20"},
                    std::vector<std::string>{"--level-dbm", "5", "--cal-dbm", "0"},
                    std::vector<std::string>{"--level-dbm", "-200", "--cal-dbm", "0"},
                    std::vector<std::string>{"--level-dbm", "-20", "--cal-dbm", "x"},
                    std::vector<std::string>{"--level-dbm", "-20", "--cal-dbm", "0", "--amplitude", "50"},
                    std::vector<std::string>{"--level-dbm", "-20", "--cal-dbm", "0", "--level-dbfs", "-3"}));

struct WaveSamples {
    int rate = 0;
    std::vector<short> samples;
};

WaveSamples ReadSamples(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* pFile = sf_open(path.c_str(), SFM_READ, &info);
    WaveSamples read;
    if (pFile == nullptr)
        return read;
    read.rate = info.samplerate;
    read.samples.resize(static_cast<std::size_t>(info.frames));
    sf_read_short(pFile, read.samples.data(), info.frames);
    sf_close(pFile);
    return read;
}

struct ToneCase {
    std::vector<std::string> arguments;
    int rate;
    double hz;
    double seconds;
    double peakDbfs;
};

class Tone : public testing::TestWithParam<ToneCase> {};

TEST_P(Tone, IsSavedSteadyAtItsFrequencyAndLevel)
{
    test::TempDir dir;
    std::vector<std::string> arguments = {"tone", "-o", dir.File("tone.wav")};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const auto run = RunCli(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    const WaveSamples read = ReadSamples(dir.File("tone.wav"));
    EXPECT_EQ(read.rate, GetParam().rate);
    ASSERT_EQ(read.samples.size(), static_cast<std::size_t>(std::lround(GetParam().seconds * GetParam().rate)));
    int peak = 0;
    int nRises = 0;  // upward zero crossings: one a period
    for (std::size_t i = 0; i < read.samples.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(read.samples[i])));
        nRises += i > 0 && read.samples[i - 1] < 0 && read.samples[i] >= 0 ? 1 : 0;
    }
    EXPECT_NEAR(peak, 32767 * std::pow(10.0, GetParam().peakDbfs / 20), 1.0);
    EXPECT_NEAR(nRises, GetParam().hz * GetParam().seconds, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Tone,
    testing::Values(
        ToneCase{{}, 24000, 1000, 10, -10},
        ToneCase{{"--hz", "440", "--level-dbfs", "0", "--seconds", "2", "--rate", "48000"}, 48000, 440, 2, 0},
        ToneCase{
            {"--hz", "1004", "--level-dbm", "-13", "--cal-dbm", "-3", "--seconds", "0.5"}, 24000, 1004, 0.5, -10}));

TEST(Tone, PlaysWholeOnTheDefaultOutput)
{
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    test::TempDir dir;
    const auto run = RunCli({"tone", "--seconds", "0.5", "--level-dbfs", "0", "--volume", "100"},
                            {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("capture.raw")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFile(dir.File("capture.raw")).size(), 12000U * 2);
}

}  // namespace
}  // namespace corvane
