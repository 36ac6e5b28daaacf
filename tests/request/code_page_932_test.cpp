// SPDX-License-Identifier: MIT
#include "request/code_page_932.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

struct Conversion {
    const char* label;
    std::string utf8;
    std::size_t maxBytes;
    std::string expected;
};

class CodePage932 : public testing::TestWithParam<Conversion> {};

TEST_P(CodePage932, ConvertsAsTheFrameNeeds)
{
    EXPECT_EQ(ToCodePage932(GetParam().utf8, GetParam().maxBytes), GetParam().expected);
}

// Byte values from the code page 932 table (Microsoft's cp932.txt mapping).
INSTANTIATE_TEST_SUITE_P(Table, CodePage932,
                         testing::Values(Conversion{"Digits", "0312345678", 255, "0312345678"},
                                         Conversion{"HiraganaIsTwoBytes", "あい", 255, "\x82\xA0\x82\xA2"},
                                         Conversion{"FullWidthTildeWhichShiftJisLacks", "～", 255, "\x81\x60"},
                                         Conversion{"HalfWidthKatakanaIsOneByte", "ｱ", 255, "\xB1"},
                                         Conversion{"NotInTheCodePage", "1ä2", 255, "1?2"},
                                         Conversion{"OutsideTheBasicPlane", "a😀b", 255, "a?b"},
                                         Conversion{"BrokenUtf8",
                                                    "a\xFF"
                                                    "b",
                                                    255, "a?b"},
                                         Conversion{"CutUtf8Sequence",
                                                    "a\xE3\x81"
                                                    "b",
                                                    255, "a?b"},
                                         Conversion{"CutToTheLimit", std::string(300, '7'), 255, std::string(255, '7')},
                                         Conversion{"CutInsideADoubleByteCharacter", "1あ", 2, "1\x82"},
                                         Conversion{"Empty", "", 255, ""}),
                         [](const testing::TestParamInfo<Conversion>& param) {
                             return std::string(param.param.label);
                         });

TEST(FromCodePage932, ReadsBackWhatToCodePage932Wrote)
{
    for (const std::string text : {"0312345678", "あい～ｱ", "[P]ユーザ拒否", ""})
        EXPECT_EQ(FromCodePage932(ToCodePage932(text, 255)), text);
    EXPECT_EQ(FromCodePage932("1\x82"), "1\xEF\xBF\xBD");  // cut inside a double-byte character
}

}  // namespace
}  // namespace corvane
