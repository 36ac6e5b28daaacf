// SPDX-License-Identifier: MIT
// The sound devices by name: listed with their descriptions, played on and recorded from as
// --device names them, and a device that does not exist said to be so. The devices are file devices
// in an ALSA configuration of the test's own, so nothing sounds.
#include "cli_run.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::RunCli;

// An ALSA configuration in which "bench" plays into bench.raw and "benchin" records from
// benchin.raw, each with a description, and the default device discards what it is given.
class Devices : public testing::Test {
protected:
    void SetUp() override
    {
        std::ofstream(m_dir.File("asound.conf"))
            << "pcm.!default { type null }\n"
            << "pcm.bench { type file slave.pcm { type null } format raw file \"" << m_dir.File("bench.raw")
            << "\" hint { show on description \"Test bench output\" } }\n"
            << "pcm.benchin { type file slave.pcm { type null } format raw file \"/dev/null\" infile \""
            << m_dir.File("benchin.raw") << "\" hint { show on description \"Test bench input\" } }\n";
    }

    std::vector<std::string> Environment() const { return {"LANG=C", "ALSA_CONFIG_PATH=" + m_dir.File("asound.conf")}; }

    test::TempDir m_dir;
};

TEST_F(Devices, AreListedWithTheirDescriptions)
{
    const auto run = RunCli({"devices"}, Environment());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("Outputs:\n"), 0U) << run.out;
    EXPECT_NE(run.out.find("  bench\n      Test bench output\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Inputs:\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  benchin\n      Test bench input\n"), std::string::npos) << run.out;
}

TEST_F(Devices, ThePlayGoesWholeToTheDeviceNamed)
{
    const auto saved = RunCli({"save", "--reason", "C", "--raw", "-o", "-"}, Environment());
    ASSERT_EQ(saved.status, 0);
    for (const std::vector<std::string>& play :
         {std::vector<std::string>{"play", "--reason", "C", "--device", "bench", "--volume", "100"},
          std::vector<std::string>{"tone", "--seconds", "0.5", "--device=bench", "--volume", "100"}}) {
        const auto run = RunCli(play, Environment());
        EXPECT_EQ(run.status, 0) << run.err;
        const std::size_t expected = play[0] == "play" ? saved.out.size() : 12000 * 2;
        EXPECT_EQ(test::ReadFile(m_dir.File("bench.raw")).size(), expected) << play[0];
    }
}

TEST_F(Devices, ARecordingComesFromTheDeviceNamed)
{
    const auto saved =
        RunCli({"save", "--number", "0312345678", "--raw", "-o", m_dir.File("benchin.raw")}, Environment());
    ASSERT_EQ(saved.status, 0);
    const auto run = RunCli({"decode", "--capture", "2", "--device", "benchin"}, Environment());
    EXPECT_NE(run.out.find("caller number: 0312345678"), std::string::npos) << run.out << run.err;
}

TEST_F(Devices, ADeviceThatDoesNotExistIsNamedInTheFailure)
{
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"play", "--reason", "C", "--device", "nosuch"},
          std::vector<std::string>{"decode", "--capture", "1", "--device", "nosuch"}}) {
        const auto run = RunCli(command, Environment());
        EXPECT_EQ(run.status, 1) << command[0];
        EXPECT_NE(run.err.find("\"nosuch\""), std::string::npos) << run.err;
    }
    const auto empty = RunCli({"play", "--reason", "C", "--device="}, Environment());
    EXPECT_EQ(empty.status, 2);
    const auto notCapturing = RunCli({"decode", "x.wav", "--device", "bench"}, Environment());
    EXPECT_EQ(notCapturing.status, 2);
}

}  // namespace
}  // namespace corvane
