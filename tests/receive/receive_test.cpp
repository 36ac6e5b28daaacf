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
