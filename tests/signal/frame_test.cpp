// SPDX-License-Identifier: MIT
#include "signal/frame.h"
#include "signal/line_codes.h"
#include "signal_test_support.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::Digits;
using test::FrameBytes;
using test::Number;
using test::Reason;

struct FrameExample {
    const char* name;
    NotificationRequest request;
    const char* hex;
};

class FrameExampleTest : public testing::TestWithParam<FrameExample> {};

TEST_P(FrameExampleTest, ComposesTheExactBytes)
{
    const auto frame = BuildFrame(GetParam().request);
    ASSERT_TRUE(frame);
    EXPECT_EQ(HexFrameText(*frame), GetParam().hex);
}

// The worked examples of the frame layout, and the check bytes of all four reasons.
INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, FrameExampleTest,
    testing::Values(FrameExample{"Number0312345678", Number("0312345678"),
                                 "90 81 87 90 82 C0 0C 82 0A 30 33 B1 B2 33 B4 35 36 B7 B8 90 03 FB 52 "},
                    FrameExample{"ReasonP", Reason('P'), "90 81 87 90 82 C0 03 84 81 50 90 03 1E EE "},
                    FrameExample{"ReasonO", Reason('O'), "90 81 87 90 82 C0 03 84 81 CF 90 03 A0 2D "},
                    FrameExample{"ReasonC", Reason('C'), "90 81 87 90 82 C0 03 84 81 C3 90 03 03 88 "},
                    FrameExample{"ReasonS", Reason('S'), "90 81 87 90 82 C0 03 84 81 53 90 03 7A 01 "},
                    // message length 0x10: a DLE goes before it
                    FrameExample{"FourteenZeros", Number(std::string(14, '0')),
                                 "90 81 87 90 82 C0 90 90 82 8E 30 30 30 30 30 30 30 30 30 30 30 30 30 30 "
                                 "90 03 0D 54 "},
                    // parameter length 0x10: a DLE goes before it
                    FrameExample{"SixteenOnes", Number(std::string(16, '1')),
                                 "90 81 87 90 82 C0 12 82 90 90 B1 B1 B1 B1 B1 B1 B1 B1 B1 B1 B1 B1 B1 B1 "
                                 "B1 B1 90 03 DC 01 "}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(BuildFrame, LengthIsThirteenPlusTextWithOneDleAtFourteenAndSixteen)
{
    for (std::size_t n = 0; n <= kMaxFrameTextBytes; ++n) {
        const auto frame = BuildFrame(Number(Digits(n)));
        ASSERT_TRUE(frame) << n;
        const std::size_t dle = (n == 14 || n == 16) ? 1 : 0;
        EXPECT_EQ(frame->bSendCnt, 13 + n + dle) << n;
    }
}

TEST(BuildFrame, RefusesATextThatCannotBeFramed)
{
    EXPECT_FALSE(BuildFrame(Number(Digits(kMaxFrameTextBytes + 1))));
    EXPECT_FALSE(BuildFrame(Number(Digits(300))));
}

TEST(BuildFrame, SendsAnyTextByteWithParityAndKeepsBitSeven)
{
    const std::string text = "1A -\x82\xA0\xFF";  // letters, space, a double-byte character
    const auto frame = BuildFrame(Number(text));
    ASSERT_TRUE(frame);
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(frame->data[9 + i], MakeParity(static_cast<unsigned char>(text[i]))) << i;
    EXPECT_EQ(frame->data[9 + 4], 0x82);
    EXPECT_EQ(frame->data[9 + 6], 0xFF);
}

TEST(BuildFrame, FifteenBytesGetNoDle)
{
    const auto bytes = FrameBytes(*BuildFrame(Number(Digits(15))));
    EXPECT_EQ(bytes.size(), 28u);
    EXPECT_EQ(bytes[6], MakeParity(0x11));
    EXPECT_EQ(bytes[8], MakeParity(0x0F));
}

TEST(BuildFrame, CheckCoversHeaderThroughEtxAndIsSentLowByteFirst)
{
    for (std::size_t n : {1u, 14u, 16u, 20u}) {
        const auto bytes = FrameBytes(*BuildFrame(Number(Digits(n))));
        const std::size_t checked = bytes.size() - 4;  // all but DLE SOH and the two check bytes
        const std::uint16_t crc = CalcCrc16(bytes.data() + 2, static_cast<std::uint16_t>(checked));
        EXPECT_EQ(bytes[bytes.size() - 2], crc & 0xFF) << n;
        EXPECT_EQ(bytes[bytes.size() - 1], crc >> 8) << n;
    }
}

TEST(BuildFrame, CheckBytesEqualToDleAreSentOnceWithoutParity)
{
    // Search the numbers for ones whose check holds a byte 0x10.
    int found = 0;
    for (int i = 0; i < 20000 && found < 4; ++i) {
        const std::string text = std::to_string(1000000 + i);
        const auto frame = BuildFrame(Number(text));
        const std::uint8_t low = frame->data[frame->bSendCnt - 2];
        const std::uint8_t high = frame->data[frame->bSendCnt - 1];
        if (low != 0x10 && high != 0x10)
            continue;
        ++found;
        EXPECT_EQ(frame->bSendCnt, 13 + text.size()) << text;
        EXPECT_EQ(frame->data[frame->bSendCnt - 3], 0x03) << text;  // ETX right before the check
    }
    EXPECT_GT(found, 0);
}

TEST(BuildMessageFrame, WithOneParameterIsTheRequestsFrame)
{
    for (std::size_t n = 0; n <= kMaxFrameTextBytes; ++n) {
        const NotificationRequest request = Number(test::Digits(n));
        const FrameParameter parameter{0x02, request.text};
        const auto general = BuildMessageFrame({&parameter, 1});
        ASSERT_TRUE(general.has_value()) << n;
        EXPECT_EQ(test::FrameBytes(*general), test::FrameBytes(*BuildFrame(request))) << n;
    }
}

TEST(BuildMessageFrame, FurtherParametersShareTheMessageLengthDleRulesAndCheck)
{
    // A number of 4 and a date and time of 8: message length 6 + 10 = 0x10 gets its DLE.
    const FrameParameter parameters[] = {{0x02, "0312"}, {0x01, "12081530"}};
    const auto frame = BuildMessageFrame(parameters);
    ASSERT_TRUE(frame.has_value());
    const std::vector<std::uint8_t> expectedStart = {0x90, 0x81, 0x87, 0x90, 0x82, 0xC0, 0x90, 0x90, 0x82,
                                                     0x84, 0x30, 0x33, 0xB1, 0xB2, 0x81, 0x88, 0xB1, 0xB2,
                                                     0x30, 0xB8, 0xB1, 0x35, 0x33, 0x30, 0x90, 0x03};
    const auto bytes = test::FrameBytes(*frame);
    ASSERT_EQ(bytes.size(), expectedStart.size() + 2);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 2), expectedStart);
    const std::uint16_t crc = CalcCrc16(bytes.data() + 2, static_cast<std::uint16_t>(bytes.size() - 4));
    EXPECT_EQ(bytes[bytes.size() - 2], crc & 0xFF);
    EXPECT_EQ(bytes.back(), crc >> 8);

    // A second parameter of 16 bytes gets a DLE before its own length.
    const FrameParameter sixteen[] = {{0x04, "P"}, {0x7F, std::string(16, 'A')}};
    const auto withDle = test::FrameBytes(*BuildMessageFrame(sixteen));
    EXPECT_EQ(std::vector<std::uint8_t>(withDle.begin() + 9, withDle.begin() + 13),
              (std::vector<std::uint8_t>{0x50, 0xFF, 0x90, 0x90}));
}

TEST(BuildMessageFrame, RefusesWhatItsCountsCannotHold)
{
    const FrameParameter tooLongText[] = {{0x02, std::string(256, '1')}};
    EXPECT_FALSE(BuildMessageFrame(tooLongText).has_value());
    const FrameParameter fills[] = {{0x02, std::string(100, '1')}, {0x01, std::string(140, '2')}};
    ASSERT_TRUE(BuildMessageFrame(fills).has_value());
    EXPECT_EQ(BuildMessageFrame(fills)->bSendCnt, 255);
    const FrameParameter overflows[] = {{0x02, std::string(100, '1')}, {0x01, std::string(141, '2')}};
    EXPECT_FALSE(BuildMessageFrame(overflows).has_value());
}

TEST(HexFrameText, IsThreeCharactersPerByteEndingInASpace)
{
    const auto frame = BuildFrame(Reason('P'));
    const std::string text = HexFrameText(*frame);
    EXPECT_EQ(text.size(), 42u);
    EXPECT_EQ(text.back(), ' ');
    EXPECT_EQ(HexFrameText(SignalFrame{}), "");
}

#ifndef NDEBUG
TEST(FrameTrace, DebugBuildTracesCountCheckAndBytes)
{
    testing::internal::CaptureStderr();
    HexFrameText(*BuildFrame(Reason('P')));
    const std::string trace = testing::internal::GetCapturedStderr();
    EXPECT_EQ(trace, "bSendCnt=12\r\nCRC:0xEE1E\r\n90 81 87 90 82 C0 03 84 81 50 90 03 1E EE \r\n");
}
#endif

}  // namespace
}  // namespace corvane
