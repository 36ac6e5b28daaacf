// SPDX-License-Identifier: MIT
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"
#include "signal/frame.h"
#include "signal/wave_file.h"
#include "stress/stress_signal.h"
#include "support/receivers.h"
#include "support/requests.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace corvane {
namespace {

using stress::ComposeStressSignal;
using stress::Corruption;
using stress::SignalOptions;
using stress::Waveform;
using test::Digits;
using test::Number;
using test::Reason;

std::vector<std::uint8_t> FrameBytes(const SignalFrame& frame)
{
    return {frame.data.begin(), frame.data.begin() + frame.bSendCnt};
}

Recording ToRecording(const stress::StressSignal& signal)
{
    return FromSamples(signal.samples, signal.rate);
}

std::vector<DecodedFrame> Decode(const Recording& recording)
{
    return FindFrames(Demodulate(recording, {}));
}

std::vector<DecodedFrame> Decode(const NotificationRequest& request, const SignalOptions& options = {})
{
    return Decode(ToRecording(*ComposeStressSignal(request, options)));
}

class EveryDialogRequest : public testing::TestWithParam<NotificationRequest> {};

TEST_P(EveryDialogRequest, DecodesByteForByte)
{
    const auto frames = Decode(GetParam());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].IsValid());
    EXPECT_EQ(frames[0].bytes, FrameBytes(*BuildFrame(GetParam())));
    ASSERT_EQ(frames[0].parameters.size(), 1u);
    EXPECT_EQ(frames[0].parameters[0].type, static_cast<std::uint8_t>(GetParam().kind));
    EXPECT_EQ(frames[0].parameters[0].text, GetParam().text);
    EXPECT_EQ(frames[0].messageType, 0x40);
    EXPECT_NEAR(frames[0].markRun, 80, 4);
    EXPECT_NEAR(frames[0].seconds, 0.2 + 80 / 1200.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Requests, EveryDialogRequest, testing::ValuesIn(test::DialogRequests()),
                         [](const testing::TestParamInfo<NotificationRequest>& param) {
                             return test::RequestName(param.param);
                         });

// A signal as a line or a sound card may change it: each must still decode byte for byte.
struct Condition {
    const char* label;
    std::function<void(SignalOptions&)> set;
};

class Conditions : public testing::TestWithParam<Condition> {};

TEST_P(Conditions, StillDecodeByteForByte)
{
    SignalOptions options;
    GetParam().set(options);
    for (const NotificationRequest& request : {Number("0312345678"), Number(Digits(16)), Reason('S')}) {
        const auto frames = Decode(request, options);
        ASSERT_EQ(frames.size(), 1u) << request.text;
        EXPECT_TRUE(frames[0].IsValid()) << request.text;
        EXPECT_EQ(frames[0].bytes, FrameBytes(*BuildFrame(request))) << request.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Conditions,
                         testing::Values(Condition{"DialogSquare", [](SignalOptions&) {}},
                                         Condition{"Sine8000",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.rate = 8000;
                                                   }},
                                         Condition{"Sine16000",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.rate = 16000;
                                                   }},
                                         Condition{"Sine24000", [](SignalOptions& o) { o.waveform = Waveform::Sine; }},
                                         Condition{"Sine44100",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.rate = 44100;
                                                   }},
                                         Condition{"Sine48000",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.rate = 48000;
                                                   }},
                                         Condition{"Square48000", [](SignalOptions& o) { o.rate = 48000; }},
                                         Condition{"Minus40dBFS", [](SignalOptions& o) { o.levelDbfs = -40; }},
                                         Condition{"Noise12dB",
                                                   [](SignalOptions& o) {
                                                       o.noiseSnrDb = 12;
                                                       o.seed = 11;
                                                   }},
                                         Condition{"SineNoise12dB",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.noiseSnrDb = 12;
                                                       o.seed = 12;
                                                   }},
                                         Condition{"FortyLeadMarks", [](SignalOptions& o) { o.leadMarks = 40; }},
                                         Condition{"Minus70dBFS", [](SignalOptions& o) { o.levelDbfs = -70; }},
                                         Condition{"Noise6dB",
                                                   [](SignalOptions& o) {
                                                       o.noiseSnrDb = 6;
                                                       o.seed = 21;
                                                   }},
                                         Condition{"SineNoise4dB",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.noiseSnrDb = 4;
                                                       o.seed = 22;
                                                   }},
                                         Condition{"TonesTenPercentHighNoise10dB",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.markHz = 1430;
                                                       o.spaceHz = 2310;
                                                       o.noiseSnrDb = 10;
                                                       o.seed = 23;
                                                   }},
                                         Condition{"TonesTenPercentLowNoise10dB",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.markHz = 1170;
                                                       o.spaceHz = 1890;
                                                       o.noiseSnrDb = 10;
                                                       o.seed = 24;
                                                   }},
                                         Condition{"TonesTwoHundredHzLow",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.markHz = 1100;
                                                       o.spaceHz = 1900;
                                                   }},
                                         Condition{"TonesTwoHundredHzHigh",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.markHz = 1500;
                                                       o.spaceHz = 2300;
                                                   }},
                                         Condition{"BitRateFivePercentSlow",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.baud = 1140;
                                                   }},
                                         Condition{"BitRateFivePercentFast",
                                                   [](SignalOptions& o) {
                                                       o.waveform = Waveform::Sine;
                                                       o.baud = 1260;
                                                   }}),
                         [](const testing::TestParamInfo<Condition>& param) { return std::string(param.param.label); });

struct Injected {
    const char* label;
    Corruption corruption;
    int byte;
    std::vector<FrameFault> expected;
};

class InjectedErrors : public testing::TestWithParam<Injected> {};

TEST_P(InjectedErrors, AreReportedAsThatFaultAtThatPlace)
{
    SignalOptions options;
    options.corruption = GetParam().corruption;
    options.corruptByte = GetParam().byte;
    const auto frames = Decode(Number("0312345678"), options);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].faults, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InjectedErrors,
    testing::Values(Injected{"Crc", Corruption::Crc, 0, {{FrameFault::Kind::Check, 22, 0x52FB, 0x52FB ^ 0xFFFF}}},
                    Injected{"ParityOfByte9",
                             Corruption::Parity,
                             9,
                             {{FrameFault::Kind::Parity, 9, 0, 0}, {FrameFault::Kind::Check, 22, 0x9459, 0x52FB}}},
                    Injected{"TruncatedAfter17", Corruption::Truncate, 17, {{FrameFault::Kind::Cut, 17, 0, 0}}},
                    Injected{"TruncatedBeforeTheCheck", Corruption::Truncate, 21, {{FrameFault::Kind::Cut, 21, 0, 0}}}),
    [](const testing::TestParamInfo<Injected>& param) { return std::string(param.param.label); });

TEST(ReadFrame, CheckBytesOfDleValueAreTakenAsTheyCome)
{
    // Numbers whose check has a byte of 0x10 or 0x90, which a DLE-minded receiver would drop.
    std::vector<std::string> found;
    for (int n = 0; n < 100000 && found.size() < 4; ++n) {
        const std::string text = std::to_string(1000000 + n);
        const SignalFrame frame = *BuildFrame(Number(text));
        const std::uint8_t low = frame.data[frame.bSendCnt - 2u];
        const std::uint8_t high = frame.data[frame.bSendCnt - 1u];
        const bool bWanted = (found.size() % 2 == 0) ? (low == 0x10 || high == 0x10) : (low == 0x90 || high == 0x90);
        if (bWanted)
            found.push_back(text);
    }
    ASSERT_EQ(found.size(), 4u);
    for (const std::string& text : found) {
        const auto frames = Decode(Number(text));
        ASSERT_EQ(frames.size(), 1u) << text;
        EXPECT_TRUE(frames[0].IsValid()) << text;
        EXPECT_EQ(frames[0].bytes, FrameBytes(*BuildFrame(Number(text)))) << text;
    }
}

TEST(ReadFrame, FurtherParametersAndTheirLengths)
{
    const FrameParameter parameters[] = {{0x02, "0312"}, {0x01, "12081530"}};
    const DecodedFrame frame = ReadFrame(FrameBytes(*BuildMessageFrame(parameters)));
    EXPECT_TRUE(frame.IsValid());
    ASSERT_EQ(frame.parameters.size(), 2u);
    EXPECT_EQ(frame.parameters[1].type, 0x01);
    EXPECT_EQ(frame.parameters[1].text, "12081530");

    auto bytes = FrameBytes(*BuildFrame(Reason('P')));
    bytes.push_back(0x55);
    EXPECT_EQ(ReadFrame(bytes).faults, (std::vector<FrameFault>{{FrameFault::Kind::Extra, 15, 0, 1}}));
    bytes = FrameBytes(*BuildFrame(Reason('P')));
    bytes[1] = 0x82;  // STX where SOH belongs: also odd parity? no, 0x82 has two ones
    EXPECT_EQ(ReadFrame(bytes).faults.front(), (FrameFault{FrameFault::Kind::Unexpected, 2, 0x81, 0x82}));
}

TEST(FindFrames, TwoFramesInOneRecordingAreBothFound)
{
    auto first = ToRecording(*ComposeStressSignal(Number("0312345678"), {}));
    const auto second = ToRecording(*ComposeStressSignal(Reason('C'), {}));
    first.samples.insert(first.samples.end(), second.samples.begin(), second.samples.end());
    const auto frames = Decode(first);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].parameters.at(0).text, "0312345678");
    EXPECT_EQ(frames[1].parameters.at(0).text, "C");
    EXPECT_NEAR(frames[1].seconds - frames[0].seconds, 16600 / 24000.0, 0.01);
}

TEST(FindFrames, SilenceAndNoiseAloneGiveNoFrame)
{
    Recording silence{8000, std::vector<float>(16000, 0.0f)};
    EXPECT_TRUE(Decode(silence).empty());
    std::srand(5);
    for (float& sample : silence.samples)
        sample = static_cast<float>(std::rand() % 2001 - 1000) / 10000.0f;
    EXPECT_TRUE(Decode(silence).empty());
}

// WAVE files in other formats than ours, written here byte by byte.
std::vector<std::uint8_t> WaveOf(const stress::StressSignal& signal, std::uint16_t format, int bits, int channels,
                                 int channel, const std::function<void(std::vector<std::uint8_t>&, double)>& put)
{
    std::vector<std::uint8_t> data;
    for (const std::int16_t sample : signal.samples) {
        for (int c = 1; c <= channels; ++c)
            put(data, c == channel ? sample / 32768.0 : 0.0);
    }
    const auto le = [](std::vector<std::uint8_t>& out, std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i, value >>= 8)
            out.push_back(static_cast<std::uint8_t>(value));
    };
    std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F'};
    le(file, static_cast<std::uint32_t>(36 + 12 + data.size()), 4);
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(file, 16, 4);
    le(file, format, 2);
    le(file, static_cast<std::uint32_t>(channels), 2);
    le(file, static_cast<std::uint32_t>(signal.rate), 4);
    le(file, static_cast<std::uint32_t>(signal.rate * channels * bits / 8), 4);
    le(file, static_cast<std::uint32_t>(channels * bits / 8), 2);
    le(file, static_cast<std::uint32_t>(bits), 2);
    file.insert(file.end(), {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'});  // a chunk to skip
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    le(file, static_cast<std::uint32_t>(data.size()), 4);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

void PutInt(std::vector<std::uint8_t>& out, double value, int bits)
{
    const auto scaled = static_cast<std::int64_t>(std::llround(value * std::pow(2.0, bits - 1)));
    const auto clamped = std::clamp<std::int64_t>(scaled, -(1LL << (bits - 1)), (1LL << (bits - 1)) - 1);
    for (int i = 0; i < bits / 8; ++i)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(clamped) >> (8 * i)));
}

struct Format {
    const char* label;
    std::uint16_t tag;
    int bits;
    int channels;
    int channel;
    std::function<void(std::vector<std::uint8_t>&, double)> put;
};

class WaveFormats : public testing::TestWithParam<Format> {};

TEST_P(WaveFormats, AreReadAndDecoded)
{
    SignalOptions options;
    options.waveform = Waveform::Sine;
    options.rate = 8000;
    const auto signal = ComposeStressSignal(Number("0312345678"), options);
    const Format& format = GetParam();
    const auto file = WaveOf(*signal, format.tag, format.bits, format.channels, format.channel, format.put);
    WaveProblem problem = WaveProblem::None;
    const auto recording = ReadWave(file, format.channel, problem);
    ASSERT_TRUE(recording.has_value()) << static_cast<int>(problem);
    EXPECT_EQ(recording->rate, 8000);
    EXPECT_EQ(recording->samples.size(), signal->samples.size());
    const auto frames = Decode(*recording);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].IsValid());
    EXPECT_EQ(frames[0].parameters.at(0).text, "0312345678");
}

// G.711 compression by its segment rule, for writing test files.
std::uint8_t MuLawOf(double value)
{
    int sample = static_cast<int>(std::lround(std::clamp(value, -1.0, 1.0) * 32635));
    const int sign = sample < 0 ? 0x80 : 0;
    sample = std::min(std::abs(sample), 32635) + 0x84;
    int exponent = 7;
    for (int mask = 0x4000; (sample & mask) == 0 && exponent > 0; mask >>= 1)
        --exponent;
    return static_cast<std::uint8_t>(~(sign | exponent << 4 | ((sample >> (exponent + 3)) & 0x0F)));
}

std::uint8_t ALawOf(double value)
{
    int sample = static_cast<int>(std::lround(std::clamp(value, -1.0, 1.0) * 32767)) >> 3;
    const int sign = sample >= 0 ? 0x80 : 0;
    sample = std::min(std::abs(sample), 4095);
    int exponent = 0;
    while (sample > 31 && exponent < 7) {
        sample >>= 1;
        ++exponent;
    }
    const int mantissa = exponent == 0 ? sample >> 1 : sample & 0x0F;
    return static_cast<std::uint8_t>((sign | exponent << 4 | mantissa) ^ 0x55);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WaveFormats,
    testing::Values(Format{"Pcm8", 1, 8, 1, 1,
                           [](auto& out, double v) {
                               out.push_back(static_cast<std::uint8_t>(std::lround(v * 127) + 128));
                           }},
                    Format{"Pcm16Stereo", 1, 16, 2, 2, [](auto& out, double v) { PutInt(out, v, 16); }},
                    Format{"Pcm24", 1, 24, 1, 1, [](auto& out, double v) { PutInt(out, v, 24); }},
                    Format{"Pcm32", 1, 32, 1, 1, [](auto& out, double v) { PutInt(out, v, 32); }},
                    Format{"Float32", 3, 32, 1, 1,
                           [](auto& out, double v) {
                               const float f = static_cast<float>(v);
                               std::uint8_t raw[4];
                               std::memcpy(raw, &f, 4);
                               out.insert(out.end(), raw, raw + 4);
                           }},
                    Format{"Float64Stereo", 3, 64, 2, 1,
                           [](auto& out, double v) {
                               std::uint8_t raw[8];
                               std::memcpy(raw, &v, 8);
                               out.insert(out.end(), raw, raw + 8);
                           }},
                    Format{"MuLaw", 7, 8, 1, 1, [](auto& out, double v) { out.push_back(MuLawOf(v)); }},
                    Format{"ALaw", 6, 8, 1, 1, [](auto& out, double v) { out.push_back(ALawOf(v)); }}),
    [](const testing::TestParamInfo<Format>& param) { return std::string(param.param.label); });

TEST(ReadWave, SaysWhatIsWrong)
{
    WaveProblem problem = WaveProblem::None;
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_FALSE(ReadWave(text, 1, problem).has_value());
    EXPECT_EQ(problem, WaveProblem::NotWave);
    const auto signal = ComposeStressSignal(Reason('P'), {});
    const auto ours = WaveFileBytes(signal->samples, signal->rate);
    EXPECT_FALSE(ReadWave(ours, 2, problem).has_value());
    EXPECT_EQ(problem, WaveProblem::NoSuchChannel);
    auto odd = ours;
    odd[34] = 12;  // 12-bit samples
    EXPECT_FALSE(ReadWave(odd, 1, problem).has_value());
    EXPECT_EQ(problem, WaveProblem::UnsupportedFormat);
    auto cut = ours;
    cut.resize(44 + 2 * 9000);  // a recording cut short: read as far as it goes
    ASSERT_TRUE(ReadWave(cut, 1, problem).has_value());
    EXPECT_EQ(ReadWave(cut, 1, problem)->samples.size(), 9000u);
}

// sox's band-pass and 8 kHz mu-law, as a line and a telephone codec change the signal.
class SoxConditions : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(SoxConditions, StillDecode)
{
    test::TempDir dir;
    const auto signal = ComposeStressSignal(Number("0312345678"), {});
    test::WriteFile(dir.File("in.wav"), WaveFileBytes(signal->samples, signal->rate));
    // No dither (-D): sox's is random, and the same conditions must give the same recording.
    std::string command = "sox -q -D '" + dir.File("in.wav") + "'";
    for (const std::string& part : GetParam())
        command += " " + part;
    command = command.replace(command.find("OUT"), 3, "'" + dir.File("out.wav") + "'");
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    WaveProblem problem = WaveProblem::None;
    const auto recording = ReadWave(test::ReadFile(dir.File("out.wav")), 1, problem);
    ASSERT_TRUE(recording.has_value());
    const auto frames = Decode(*recording);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].IsValid());
    EXPECT_EQ(frames[0].bytes, FrameBytes(*BuildFrame(Number("0312345678"))));
}

INSTANTIATE_TEST_SUITE_P(Sox, SoxConditions,
                         testing::Values(std::vector<std::string>{"OUT", "sinc", "300-3400"},
                                         std::vector<std::string>{"-r", "8000", "-e", "u-law", "OUT"},
                                         std::vector<std::string>{"-r", "8000", "-e", "a-law", "OUT", "sinc",
                                                                  "300-3400"}));

TEST(Minimodem, ReceivesTheSameBytes)
{
    test::TempDir dir;
    for (const NotificationRequest& request : {Number("0312345678"), Number(Digits(14)), Reason('O')}) {
        const auto signal = ComposeStressSignal(request, {});
        test::WriteFile(dir.File("s.wav"), WaveFileBytes(signal->samples, signal->rate));
        const auto frames = Decode(ToRecording(*signal));
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(test::MinimodemReceive(dir.File("s.wav")), frames[0].bytes);
    }
}

}  // namespace
}  // namespace corvane
