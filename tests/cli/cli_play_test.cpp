// SPDX-License-Identifier: MIT
// corvane-cli on sound devices, as a bench uses it: plays into a test ALSA device, interrupted or
// refused, and recordings through a loop-back cable and from the default input.
#include "cli_run.h"
#include "signal/compose.h"
#include "signal/frame.h"
#include "signal/wave_file.h"
#include "support/alsa_test_config.h"
#include "support/receivers.h"
#include "support/requests.h"
#include "support/temp_files.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using test::CliRun;
using test::DialogBuffer;
using test::Digits;
using test::ReadFile;
using test::RunCli;
using test::TempDir;

// The samples a test ALSA device received, as 16-bit values.
std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

TEST(Play, SendsTheWholeSignal)
{
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    TempDir dir;
    const std::string capture = "AUDIO_CAPTURE_FILE=" + dir.File("capture.raw");
    const CliRun run = RunCli({"play", "--reason", "C", "--volume", "100", "--amplitude", "100"}, {"LANG=C", capture});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto buffer = DialogBuffer({InformationKind::AbsenceReason, "C"}, 100);
    auto played = Samples(ReadFile(dir.File("capture.raw")));
    EXPECT_EQ(played, std::vector<std::int16_t>(buffer->samples.begin(), buffer->samples.begin() + buffer->Offset));
}

TEST(Play, SaysWhenTheSignalCouldNotGoOut)
{
    // The device opens, but cannot write where it should.
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    TempDir dir;
    const CliRun failed =
        RunCli({"play", "--reason", "C"}, {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("missing/x.raw")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("corvane-cli: "), std::string::npos);
}

TEST(Batch, PlaysTheLinesInTurn)
{
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    TempDir dir;
    const CliRun run = RunCli({"batch", "-", "--play", "--gap-ms", "0", "--volume", "100"},
                              {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("capture.raw")},
                              "number 0312345678\nreason X\nreason P amplitude=100\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("line 2: The reason is one of P, O, C and S."), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "batch: 2 played, 1 failed\n");
    // Each play opens the device anew: the capture holds the last one, whole.
    const auto buffer = DialogBuffer({InformationKind::AbsenceReason, "P"}, 100);
    EXPECT_EQ(Samples(ReadFile(dir.File("capture.raw"))),
              std::vector<std::int16_t>(buffer->samples.begin(), buffer->samples.begin() + buffer->Offset));
}

TEST(Play, CtrlCStopsItAtOnce)
{
    // A device that opens and then takes nothing more than a pipe holds: a reader that never reads.
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const int reader = open(dir.File("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCli({"play", "--reason", "C", "--lead-marks", "6000"},
                              {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("fifo")}, {}, std::chrono::milliseconds(300));
    EXPECT_EQ(run.status, 130);
    EXPECT_NE(run.err.find("Interrupted."), std::string::npos) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    close(reader);
}

TEST(Play, ADeviceThatDoesNotOpenIsReportedInTime)
{
    // A pipe nobody opens for reading: opening the device for writing never returns.
    const test::TestAlsaConfig alsa(test::kCaptureDevice);
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCli({"play", "--reason", "C"}, {"LANG=C", "AUDIO_CAPTURE_FILE=" + dir.File("fifo")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The sound output does not respond."), std::string::npos) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

// The loopback device pair's pipe, held open both ways so that neither side's opening waits for
// the other or sees it gone.
class LoopbackCable {
public:
    explicit LoopbackCable(const TempDir& dir) : m_path(dir.File("cable"))
    {
        mkfifo(m_path.c_str(), 0600);
        m_fd = open(m_path.c_str(), O_RDWR | O_NONBLOCK);
    }
    ~LoopbackCable() { close(m_fd); }
    std::string Environment() const { return "AUDIO_CAPTURE_FILE=" + m_path; }
    // Puts samples on the line for a recording to find; the pipe holds about a second of them.
    bool Send(const std::vector<std::int16_t>& samples) const
    {
        const auto bytes = static_cast<ssize_t>(samples.size() * 2);
        return write(m_fd, samples.data(), static_cast<std::size_t>(bytes)) == bytes;
    }

private:
    std::string m_path;
    int m_fd = -1;
};

// The level and tone frequencies a loopback reports.
struct Measured {
    double level = 0;
    double markHz = 0;
    double spaceHz = 0;
};

Measured ReadMeasured(const std::string& out)
{
    Measured measured;
    const std::size_t at = out.find("level ");
    if (at != std::string::npos)
        std::sscanf(out.c_str() + at, "level %lf dBFS, mark %lf Hz, space %lf Hz", &measured.level, &measured.markHz,
                    &measured.spaceHz);
    return measured;
}

TEST(Loopback, PassesWithTheLevelAndTonesMeasured)
{
    const test::TestAlsaConfig alsa(test::kLoopbackDevice);
    TempDir dir;
    const LoopbackCable cable(dir);
    const CliRun square = RunCli({"loopback", "--number", "0312345678", "--volume", "100", "--extra-seconds", "0"},
                                 {"LANG=C", cable.Environment()});
    EXPECT_EQ(square.status, 0) << square.err;
    EXPECT_EQ(square.out.rfind("loopback: pass\n", 0), 0u) << square.out;
    // The dialog's square cells: 9 samples high and 9 low for a mark, half-waves of 5 and 6
    // samples for a space, at 24 000 Hz.
    const Measured cells = ReadMeasured(square.out);
    EXPECT_NEAR(cells.level, -14.0, 0.05);
    EXPECT_NEAR(cells.markHz, 24000.0 / 18, 1);
    EXPECT_NEAR(cells.spaceHz, 2400, 1);
    const CliRun sine = RunCli({"loopback", "--reason", "P", "--waveform", "sine", "--level-dbfs", "-20", "--volume",
                                "100", "--extra-seconds", "0"},
                               {"LANG=C", cable.Environment()});
    EXPECT_EQ(sine.status, 0) << sine.err;
    const Measured tones = ReadMeasured(sine.out);
    EXPECT_NEAR(tones.level, -20.0, 0.05);
    EXPECT_NEAR(tones.markHz, 1300, 3);
    EXPECT_NEAR(tones.spaceHz, 2100, 3);
}

TEST(Loopback, SweepsThroughTheCable)
{
    const test::TestAlsaConfig alsa(test::kLoopbackDevice);
    TempDir dir;
    const LoopbackCable cable(dir);
    const CliRun run = RunCli({"sweep", "--number", "0312345678", "--vary", "stop-bits=1:2:1", "--seeds", "1",
                               "--loopback", "--volume", "100"},
                              {"LANG=C", cable.Environment()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "stop-bits=1.00: 1 of 1 decoded (100.0 %)\nstop-bits=2.00: 1 of 1 decoded (100.0 %)\n");
    const CliRun both =
        RunCli({"sweep", "--number", "1", "--vary", "snr=0:1:1", "--loopback", "--receiver", "true {}"});
    EXPECT_EQ(both.status, 2);
}

TEST(Loopback, FailsWhenTheFrameDoesNotComeBackWhole)
{
    const test::TestAlsaConfig alsa(test::kLoopbackDevice);
    TempDir dir;
    const LoopbackCable cable(dir);
    const CliRun run = RunCli({"loopback", "--reason", "O", "--corrupt", "crc", "--extra-seconds", "0"},
                              {"LANG=C", cable.Environment()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("loopback: fail"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("fault: check"), std::string::npos) << run.out;
}

TEST(Capture, DecodesWhatTheDefaultInputRecords)
{
    const test::TestAlsaConfig alsa(test::kLoopbackDevice);
    TempDir dir;
    const LoopbackCable cable(dir);
    auto buffer = DialogBuffer({InformationKind::AbsenceReason, "S"}, 50);
    std::vector<std::int16_t> line(buffer->samples.begin(), buffer->samples.begin() + kSampleRate);  // 1 s
    ASSERT_TRUE(cable.Send(line));
    const CliRun run = RunCli({"decode", "--capture", "1"}, {"LANG=C", cable.Environment()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("parameter 0x04 absence reason: S (service conflict)"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace corvane
