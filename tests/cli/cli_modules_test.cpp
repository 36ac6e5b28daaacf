// SPDX-License-Identifier: MIT
// corvane-cli loads what a command uses and nothing more: frame and save start without the sound
// and decoder libraries, play takes the sound module alone, decode the decoding module; and its
// options read as GNU programs read theirs.
#include "cli_run.h"
#include "support/alsa_test_config.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::CliRun;
using test::RunCli;
using test::TempDir;

struct Loading {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> loaded;     // libraries the command loads
    std::vector<std::string> notLoaded;  // libraries it must start without
};

class LoadsOnlyWhatItUses : public testing::TestWithParam<Loading> {};

// Whether the loader's report names library among the files it loaded.
bool Loaded(const std::string& report, const std::string& library)
{
    for (std::size_t at = report.find("file="); at != std::string::npos; at = report.find("file=", at + 1)) {
        const std::string line = report.substr(at, report.find('\n', at) - at);
        if (line.find(library) != std::string::npos)
            return true;
    }
    return false;
}

TEST_P(LoadsOnlyWhatItUses, AsTheDynamicLoaderReports)
{
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    TempDir dir;
    const Loading& loading = GetParam();
    // The loader names every file it loads on standard error under LD_DEBUG=files.
    const CliRun run =
        RunCli(loading.arguments, {"LANG=C", "LD_DEBUG=files", "AUDIO_CAPTURE_FILE=" + dir.File("capture.raw")},
               loading.arguments[0] == "decode" ? "RIFF" : "");
    ASSERT_NE(run.status, -1);
    for (const std::string& library : loading.loaded)
        EXPECT_TRUE(Loaded(run.err, library)) << library << " was not loaded";
    for (const std::string& library : loading.notLoaded)
        EXPECT_FALSE(Loaded(run.err, library)) << library << " was loaded";
}

const std::vector<std::string> kDecoderLibraries = {"libsndfile", "libspandsp", "libmagic", "corvane-cli-decode"};

INSTANTIATE_TEST_SUITE_P(
    Commands, LoadsOnlyWhatItUses,
    testing::Values(
        Loading{"Frame",
                {"frame", "--number", "01234567890123456789"},
                {},
                {"libasound", "libQt6", "libsndfile", "libspandsp", "libmagic", "corvane-cli-"}},
        Loading{"Save",
                {"save", "--reason", "P", "-o", "-"},
                {},
                {"libasound", "libQt6", "libsndfile", "libspandsp", "libmagic", "corvane-cli-"}},
        Loading{"Play", {"play", "--reason", "P"}, {"corvane-cli-play", "libasound"}, kDecoderLibraries},
        Loading{"Decode", {"decode", "-"}, {"corvane-cli-decode", "libsndfile"}, {"corvane-cli-play", "libQt6"}}),
    [](const testing::TestParamInfo<Loading>& param) { return param.param.name; });

TEST(Modules, AModuleThatIsMissingIsAFailureTheOtherCommandsDoNotNeed)
{
    TempDir dir;
    // A copy of the program away from its modules.
    const std::string program = dir.File("corvane-cli");
    std::filesystem::copy_file(CORVANE_CLI, program);
    const CliRun decode = test::RunProgram(program, {"decode", "-"}, {"LANG=C"}, "RIFF");
    EXPECT_EQ(decode.status, 1);
    EXPECT_NE(decode.err.find("corvane-cli: Cannot load "), std::string::npos) << decode.err;
    EXPECT_EQ(test::RunProgram(program, {"frame", "--reason", "P"}, {"LANG=C"}).status, 0);
}

struct Spelling {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    std::string out;  // the start of standard output
    std::string err;  // a part of standard error
};

class OptionSpelling : public testing::TestWithParam<Spelling> {};

TEST_P(OptionSpelling, ReadsAsGnuProgramsRead)
{
    const Spelling& spelling = GetParam();
    const CliRun run = RunCli(spelling.arguments);
    EXPECT_EQ(run.status, spelling.status) << run.err;
    EXPECT_EQ(run.out.substr(0, spelling.out.size()), spelling.out);
    EXPECT_NE(run.err.find(spelling.err), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Options, OptionSpelling,
    testing::Values(
        Spelling{"ValueAfterEquals", {"frame", "--reason=P"}, 0, "90 81 87 90 82 C0 03 84 81 50", ""},
        Spelling{"OptionsBeforeTheCommand", {"--json", "frame", "--reason", "P"}, 0, "{", ""},
        Spelling{"ShortOptionWithItsValueJoined", {"save", "--reason", "P", "-o-"}, 0, "RIFF", ""},
        Spelling{"OptionAfterTheFile", {"batch", "-", "--dir"}, 2, "", "Missing value after '--dir'."},
        Spelling{
            "ValueForASwitch", {"frame", "--reason", "P", "--json=yes"}, 2, "", "Unexpected value after '--json'."},
        Spelling{"UnknownLongOption", {"frame", "--colour", "red"}, 2, "", "Unknown option 'colour'."},
        Spelling{"UnknownShortOption", {"frame", "-z"}, 2, "", "Unknown option 'z'."},
        Spelling{"EndOfOptions", {"frame", "--reason", "P", "--", "--json"}, 2, "", "Unexpected argument \"--json\"."}),
    [](const testing::TestParamInfo<Spelling>& param) { return param.param.name; });

TEST(Options, JapaneseUnderAJapaneseLocaleAndUtf8Always)
{
    const CliRun japanese = RunCli({"frame", "--colour"}, {"LC_ALL=ja_JP.UTF-8"});
    EXPECT_EQ(japanese.status, 2);
    EXPECT_NE(japanese.err.find("'colour' は未知のオプションです。"), std::string::npos) << japanese.err;
    const CliRun help = RunCli({"save", "--help"}, {"LC_ALL=ja_JP.UTF-8"});
    EXPECT_EQ(help.out.rfind("使い方: corvane-cli [options] save\n", 0), 0u) << help.out;
    const CliRun english = RunCli({"frame", "--colour"}, {"LANG=ja_JP.UTF-8", "LC_ALL=C"});
    EXPECT_NE(english.err.find("Unknown option 'colour'."), std::string::npos) << english.err;
}

}  // namespace
}  // namespace corvane
