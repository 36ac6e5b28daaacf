// SPDX-License-Identifier: MIT
// corvane-cli under faults a test bench meets: full disks and size limits, a standard output
// that cannot be written, stray arguments, and batch lines that would lose or misplace a file.
#include "cli_run.h"
#include "support/alsa_test_config.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using test::CliRun;
using test::RunCli;
using test::TempDir;

// Runs a shell command line and returns what it wrote on standard output.
std::string ShellOutput(const std::string& command)
{
    std::FILE* pShell = popen(command.c_str(), "r");
    std::string output;
    char block[4096];
    for (std::size_t n; pShell != nullptr && (n = std::fread(block, 1, sizeof block, pShell)) > 0;)
        output.append(block, n);
    if (pShell != nullptr)
        pclose(pShell);
    return output;
}

TEST(Conventions, HelpNamesTheProgramAndOffersNoQtOptions)
{
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--help"}, {"frame", "--help"}, {"decode", "--help"}, {"batch", "--help"}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.status, 0) << arguments[0];
        EXPECT_EQ(run.out.rfind("Usage: corvane-cli ", 0), 0u) << run.out;
        EXPECT_EQ(run.out.find("--help-all"), std::string::npos) << run.out;
        if (arguments.size() == 2) {
            EXPECT_NE(run.out.find("Example: corvane-cli " + arguments[0]), std::string::npos) << run.out;
        }
    }
}

TEST(Conventions, ExtraArgumentsAreBadUsage)
{
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"frame", "--number", "1", "stray"},
                                               {"save", "--reason", "P", "-o", "-", "stray"},
                                               {"decode", "a.wav", "b.wav"},
                                               {"batch", "-", "--dir", ".", "stray"}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments.back();
        EXPECT_NE(run.err.find("Unexpected argument \"" + arguments.back()), std::string::npos) << run.err;
    }
}

TEST(Conventions, NumbersAreDecimalOnTheCommandLineAndInBatchLines)
{
    // 050 is fifty, not octal forty: the same frame and samples either way it is given.
    const CliRun fifty = RunCli({"save", "--number", "1", "--amplitude", "50", "-o", "-"});
    const CliRun leadingZero = RunCli({"save", "--number", "1", "--amplitude", "050", "-o", "-"});
    ASSERT_EQ(fifty.status, 0);
    EXPECT_EQ(leadingZero.status, 0) << leadingZero.err;
    EXPECT_EQ(leadingZero.out, fifty.out);
    EXPECT_EQ(RunCli({"frame", "--number", "1", "--amplitude", "080"}).status, 0);
    TempDir dir;
    const CliRun batch = RunCli({"batch", "-", "--dir", dir.Path()}, {"LANG=C"}, "number 1 amplitude=050 name=x\n");
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(test::ReadFile(dir.File("x.wav")), std::vector<std::uint8_t>(fifty.out.begin(), fifty.out.end()));
}

TEST(Faults, AStandardOutputThatCannotBeWrittenFailsTheCommand)
{
    TempDir dir;
    RunCli({"save", "--number", "0312345678", "-o", dir.File("s.wav")});
    for (const std::string& command :
         {std::string("exec %s frame --number 1 >/dev/full"), std::string("exec %s frame --number 1 --json >/dev/full"),
          std::string("exec %s decode --json ") + dir.File("s.wav") + " >/dev/full"}) {
        char line[4096];
        std::snprintf(line, sizeof line, command.c_str(), CORVANE_CLI);
        const int status = std::system(line);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << line << ": " << status;
    }
}

TEST(Faults, AFileSizeLimitFailsTheSaveWithItsMessageAndTheBatchGoesOn)
{
    TempDir dir;
    const std::string status =
        ShellOutput("ulimit -f 16; printf 'number 1 name=a\\nnumber 2 name=b\\n' | LANG=C " + std::string(CORVANE_CLI) +
                    " batch - --dir " + dir.Path() + " >/dev/null 2>" + dir.File("err") + "; echo $?");
    EXPECT_EQ(status, "1\n");
    const std::vector<std::uint8_t> err = test::ReadFile(dir.File("err"));
    const std::string message(err.begin(), err.end());
    EXPECT_NE(message.find("line 1:"), std::string::npos) << message;
    EXPECT_NE(message.find("line 2:"), std::string::npos) << message;  // the batch went on
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.wav")));
}

TEST(Batch, LinesSplitOnTabsAndRefuseControlCharactersSlashesAndRepeats)
{
    TempDir dir;
    const std::string lines = std::string("number\t0312345678\tname=tab\n") +  // 1: tabs separate
                              "number 03/12\n" +                               // 2: no subfolder
                              std::string("number 1 name=a\0b\n", 18) +        // 3: a NUL
                              "reason P name=tab\n";                           // 4: tab.wav again
    const CliRun run = RunCli({"batch", "-", "--dir", dir.Path()}, {"LANG=C"}, lines);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::filesystem::exists(dir.File("tab.wav")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("number_03_12.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("number_03")));
    EXPECT_NE(run.err.find("line 3: the line holds a control character (0x00)"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 4: tab.wav was written by an earlier line"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("2 written, 2 failed"), std::string::npos) << run.out;
    // The file of line 1 is still the number's, not the reason's.
    const CliRun number = RunCli({"save", "--number", "0312345678", "-o", "-"});
    EXPECT_EQ(test::ReadFile(dir.File("tab.wav")), std::vector<std::uint8_t>(number.out.begin(), number.out.end()));
}

// Runs a shell command on a terminal of its own (script(1)), returning all it wrote there.
std::string OnTerminal(const std::string& command)
{
    return ShellOutput("script -qec '" + command + "' /dev/null");
}

TEST(Batch, ShowsItsProgressOnATerminalUnlessQuiet)
{
    TempDir dir;
    const std::string batch =
        "printf \"number 1\\nnumber 2\\n\" | LANG=C " + std::string(CORVANE_CLI) + " batch - --dir " + dir.Path();
    const std::string shown = OnTerminal(batch + " >/dev/null");
    EXPECT_NE(shown.find("batch: line 2, 2 written, 0 failed"), std::string::npos) << shown;
    EXPECT_NE(shown.rfind("\r\x1b[K"), std::string::npos);  // and cleared at the end
    EXPECT_EQ(OnTerminal(batch + " -q >/dev/null").find("batch: line"), std::string::npos);
}

TEST(Batch, AMissingFolderIsBadUsageBeforeAnyLine)
{
    TempDir dir;
    const CliRun run = RunCli({"batch", "-", "--dir", dir.File("missing")}, {"LANG=C"}, "number 1\nnumber 2\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "corvane-cli: The folder " + dir.File("missing") + " does not exist.\n");
}

TEST(DecodeText, BytesThatAreNotPrintableAreShownAsHex)
{
    TempDir dir;
    ASSERT_EQ(RunCli({"save", "--reason", "P", "--param", "0x01:a\x1b[2Jb", "-o", dir.File("c.wav")}).status, 0);
    const CliRun run = RunCli({"decode", dir.File("c.wav")});
    EXPECT_NE(run.out.find("a\\x1B[2Jb"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
}

TEST(DecodeText, AnEndlessInputIsDecodedAsItComes)
{
    // A recorder's pipe that never closes: the frame must be out before the input ends.
    TempDir dir;
    ASSERT_EQ(RunCli({"save", "--number", "0312345678", "-o", dir.File("s.wav")}).status, 0);
    const std::string first = ShellOutput("(cat " + dir.File("s.wav") + "; exec cat /dev/zero) | timeout 3 " +
                                          std::string(CORVANE_CLI) + " decode - | head -n 1");
    EXPECT_EQ(first, "frame 1 at 0.267 s after 80 mark bits: valid\n");
}

// A pipe as the sound device (a file device of the test's own ALSA configuration), with a reader
// that opens it and then never reads, or no reader at all.
class PipeDevice {
public:
    explicit PipeDevice(bool bReader) : m_alsa(test::kCaptureDevice)
    {
        mkfifo(Path().c_str(), 0600);
        if (bReader) {
            m_reader = open(Path().c_str(), O_RDONLY | O_NONBLOCK);
            fcntl(m_reader, F_SETPIPE_SZ, 4096);  // full after the first 4 KiB of samples
        }
    }
    ~PipeDevice()
    {
        if (m_reader >= 0)
            close(m_reader);
    }
    std::string Path() const { return m_dir.File("device"); }
    std::vector<std::string> Environment() const { return {"LANG=C", "AUDIO_CAPTURE_FILE=" + Path()}; }

private:
    test::TestAlsaConfig m_alsa;
    TempDir m_dir;
    int m_reader = -1;
};

struct Interruption {
    const char* label;
    int signal;
    bool bReader;  // false: the device does not even open
};

class Interrupted : public testing::TestWithParam<Interruption> {};

TEST_P(Interrupted, EndsWithItsStatusWithinHalfASecond)
{
    const PipeDevice device(GetParam().bReader);
    constexpr auto kAfter = std::chrono::milliseconds(300);
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCli({"play", "--reason", "C"}, device.Environment(), {}, kAfter, GetParam().signal);
    EXPECT_EQ(run.status, 128 + GetParam().signal) << run.err;
    EXPECT_NE(run.err.find("Interrupted."), std::string::npos) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, kAfter + std::chrono::milliseconds(500));
}

INSTANTIATE_TEST_SUITE_P(
    SignalsAndDevices, Interrupted,
    testing::Values(Interruption{"IntDuringOpen", SIGINT, false}, Interruption{"TermDuringOpen", SIGTERM, false},
                    Interruption{"HupDuringOpen", SIGHUP, false}, Interruption{"IntDuringPlay", SIGINT, true},
                    Interruption{"TermDuringPlay", SIGTERM, true}, Interruption{"HupDuringPlay", SIGHUP, true}),
    [](const testing::TestParamInfo<Interruption>& param) { return std::string(param.param.label); });

TEST(Device, AStalledPlayIsReportedAtItsLengthPlusTwoSeconds)
{
    const PipeDevice device(true);
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCli({"play", "--reason", "C"}, device.Environment());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The sound output does not respond."), std::string::npos) << run.err;
    const auto bound = std::chrono::milliseconds(14800 * 1000 / 24000 + 2000);
    EXPECT_GE(elapsed, bound);
    // The bound itself, and the program's start and end: no wait on the device at exit.
    EXPECT_LT(elapsed, bound + std::chrono::milliseconds(400));
}

TEST(Device, AOneShotReaderGetsTheWholeSignal)
{
    // A reader that takes one opening of the device to its end: the device is opened once a play.
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    TempDir dir;
    const std::string fifo = dir.File("device");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        const int fd = open(fifo.c_str(), O_RDONLY);
        char block[4096];
        for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;)
            received.append(block, static_cast<std::size_t>(n));
        close(fd);
    });
    const CliRun run = RunCli({"play", "--reason", "C", "--volume", "100"}, {"LANG=C", "AUDIO_CAPTURE_FILE=" + fifo});
    // A program that never opened the device leaves the reader waiting: release it.
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        close(writer);
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    const CliRun raw = RunCli({"save", "--reason", "C", "--raw", "-o", "-"});
    EXPECT_EQ(received, raw.out);
}

TEST(Device, ARecordingThatCannotBeMadeFailsTheDecode)
{
    if (test::MachineHasSoundCards())
        GTEST_SKIP() << "ALSA may fall back to this machine's own cards";
    const test::TestAlsaConfig alsa(test::kMissingDevice);
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCli({"decode", "--capture", "5"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("corvane-cli: Cannot record: ", 0), 0u) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // at once, not after 5 s
}

}  // namespace
}  // namespace corvane
