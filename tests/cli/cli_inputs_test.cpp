// SPDX-License-Identifier: MIT
// What corvane-cli decode reads: sound files of every kind libsndfile writes, raw samples,
// inputs that are no recording, named by what they hold, and inputs cut short or made to hang it.
#include "cli_run.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::CliRun;
using test::RunCli;
using test::TempDir;

constexpr const char* kValid = "frame 1 at 0.267 s after 80 mark bits: valid\n";

// The signal for 0312345678 as 16-bit samples: the dialog's at 24 kHz, else sine tones at rate.
std::vector<std::int16_t> Signal(int rate = 24000)
{
    std::vector<std::string> arguments{"save", "--number", "0312345678", "--amplitude", "50", "-o", "-", "--raw"};
    if (rate != 24000)
        arguments.insert(arguments.end(), {"--waveform", "sine", "--rate", std::to_string(rate)});
    const CliRun raw = RunCli(arguments);
    std::vector<std::int16_t> samples(raw.out.size() / 2);
    std::memcpy(samples.data(), raw.out.data(), samples.size() * 2);
    return samples;
}

struct SoundFile {
    const char* label;
    int format;  // libsndfile's major format and encoding
    int rate;
    bool bKeepsTheTones;  // false for a speech codec: the file is read, but no frame survives
};

class SoundFiles : public testing::TestWithParam<SoundFile> {};

TEST_P(SoundFiles, AreDecoded)
{
    TempDir dir;
    const std::vector<std::int16_t> samples = Signal(GetParam().rate);
    SF_INFO info{};
    info.samplerate = GetParam().rate;
    info.channels = 1;
    info.format = GetParam().format;
    const std::string path = dir.File(std::string("signal.") + GetParam().label);
    SNDFILE* pFile = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(pFile, nullptr) << sf_strerror(nullptr);
    sf_write_short(pFile, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(pFile);
    const CliRun run = RunCli({"decode", path});
    if (!GetParam().bKeepsTheTones) {
        // Read as a recording, in which no frame is left whole: none found, or one with faults.
        EXPECT_TRUE(run.status == 3 || run.status == 1) << run.err;
        EXPECT_EQ(run.out.find(": valid\n"), std::string::npos) << run.out;
        return;
    }
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(" mark bits: valid\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("caller number: 0312345678"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundFiles,
                         testing::Values(SoundFile{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 24000, true},
                                         SoundFile{"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 24000, true},
                                         SoundFile{"au", SF_FORMAT_AU | SF_FORMAT_ULAW, 24000, true},
                                         SoundFile{"w64", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 24000, true},
                                         SoundFile{"rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 24000, true},
                                         SoundFile{"caf", SF_FORMAT_CAF | SF_FORMAT_ALAW, 24000, true},
                                         SoundFile{"ima_adpcm_wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 8000, true},
                                         SoundFile{"ms_adpcm_wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 8000, true},
                                         SoundFile{"gsm_wav", SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000, false}),
                         [](const testing::TestParamInfo<SoundFile>& param) { return std::string(param.param.label); });

TEST(RawInput, IsReadAsItsFormatSays)
{
    const std::vector<std::int16_t> samples = Signal();
    const std::string bytes(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
    const CliRun run = RunCli({"decode", "-", "--raw-format", "24000:s16le"}, {"LANG=C"}, bytes);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(kValid, 0), 0u) << run.out;
    const CliRun wrong = RunCli({"decode", "-", "--raw-format", "24000:s16"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--raw-format is RATE:ENCODING"), std::string::npos) << wrong.err;
}

TEST(NotARecording, IsNamedByWhatItHolds)
{
    TempDir dir;
    test::WriteFile(dir.File("notes.txt"), {'h', 'e', 'l', 'l', 'o', '\n'});
    const CliRun text = RunCli({"decode", dir.File("notes.txt")});
    EXPECT_EQ(text.status, 2);
    // In libmagic's words on Linux, as a content type on Windows.
    EXPECT_TRUE(text.err.find("is not a recording this reads: ASCII text") != std::string::npos ||
                text.err.find("is not a recording this reads: text/plain") != std::string::npos)
        << text.err;
    const CliRun piped = RunCli({"decode", "-"}, {"LANG=C"}, "hello\n");
    EXPECT_EQ(piped.status, 2);
    EXPECT_NE(piped.err.find("is not a WAVE file"), std::string::npos) << piped.err;
}

// A saved signal's WAVE file with its data as data holds it and its header saying channels.
std::string WaveFile(std::vector<char> data, int channels = 1)
{
    const auto le = [](std::uint32_t value, int bytes) {
        std::string text;
        for (int i = 0; i < bytes; ++i)
            text += static_cast<char>(value >> (8 * i));
        return text;
    };
    const auto size = static_cast<std::uint32_t>(data.size());
    return "RIFF" + le(36 + size + (size & 1), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) + le(24000, 4) +
           le(48000u * channels, 4) + le(2 * channels, 2) + le(16, 2) + "data" + le(size, 4) +
           std::string(data.begin(), data.end());
}

std::vector<char> SignalBytes()
{
    const std::vector<std::int16_t> samples = Signal();
    const auto* pBytes = reinterpret_cast<const char*>(samples.data());
    return {pBytes, pBytes + samples.size() * 2};
}

struct HostileInput {
    const char* label;
    std::string (*bytes)();            // made when the case runs: some are a saved signal, which runs the program
    std::vector<std::string> options;  // after the input's name
    int status;
    const char* message;  // on standard error
    bool bFrame;          // the signal's frame decoded, valid, on standard output
};

const HostileInput kHostileInputs[] = {
    {"one_data_byte",
     [] { return WaveFile({0x11}); },
     {},
     2,
     "the data ends in the middle of a sample; its last 1 bytes",
     false},
    {"odd_data_length",
     [] {
         std::vector<char> odd = SignalBytes();
         odd.push_back(0x11);
         return WaveFile(odd);
     },
     {},
     0,
     "the data ends in the middle of a sample; its last 1 bytes",
     true},
    {"too_many_channels",
     [] { return WaveFile(SignalBytes(), 65535); },
     {},
     2,
     "has more channels than the 256 that are read",
     false},
    {"riff_and_nothing_more", [] { return std::string("RIFF\0\0\0\0WAVE", 12); }, {}, 2, "holds no samples", false},
    {"raw_cut_in_a_sample",
     [] { return std::string(1, '\0'); },
     {"--raw-format", "8000:s16le"},
     2,
     "the data ends in the middle of a sample",
     false},
    {"raw_infinity",
     [] {
         const std::vector<std::int16_t> samples = Signal(8000);
         std::string withInfinity(samples.size() * 4, '\0');
         for (std::size_t i = 0; i < samples.size(); ++i) {
             const float value = i == 100 ? INFINITY : static_cast<float>(samples[i]) / 32768.0f;
             std::memcpy(withInfinity.data() + 4 * i, &value, 4);
         }
         return withInfinity;
     },
     {"--raw-format", "8000:f32le"},
     0,
     "1 samples were beyond full scale or not numbers",
     true},
};

class HostileInputs : public testing::TestWithParam<HostileInput> {};

TEST_P(HostileInputs, EndWithTheirProblemNamedAndWhatWasReceivedDecoded)
{
    TempDir dir;
    const std::string path = dir.File("input");
    const std::string bytes = GetParam().bytes();
    test::WriteFile(path, {bytes.begin(), bytes.end()});
    // From a file and from a pipe alike.
    for (const std::string& name : {path, std::string("-")}) {
        std::vector<std::string> arguments{"decode", name};
        arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
        const CliRun run = RunCli(arguments, {"LANG=C"}, name == "-" ? bytes : std::string());
        EXPECT_EQ(run.status, GetParam().status) << name << ": " << run.err;
        EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << name << ": " << run.err;
        EXPECT_EQ(run.out.find(" mark bits: valid\n") != std::string::npos, GetParam().bFrame) << name << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostileInputs, testing::ValuesIn(kHostileInputs),
                         [](const testing::TestParamInfo<HostileInput>& param) {
                             return std::string(param.param.label);
                         });

}  // namespace
}  // namespace corvane
