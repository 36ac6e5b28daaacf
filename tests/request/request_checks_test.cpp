// SPDX-License-Identifier: MIT
#include "request/request_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

struct NumberCase {
    const char* label;
    std::string typed;
    RequestProblem problem;
    std::size_t bytes;  // of the request's text when accepted
};

class NumberRequest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberRequest, IsCheckedByItsLengthInCodePage932Bytes)
{
    NotificationRequest request{InformationKind::AbsenceReason, "P"};
    EXPECT_EQ(MakeNumberRequest(GetParam().typed, request), GetParam().problem);
    if (GetParam().problem == RequestProblem::None) {
        EXPECT_EQ(request.kind, InformationKind::CallerNumber);
        EXPECT_EQ(request.text.size(), GetParam().bytes);
    } else {
        EXPECT_EQ(request.text, "P");  // left alone
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, NumberRequest,
    testing::Values(NumberCase{"Empty", "", RequestProblem::EmptyNumber, 0},
                    NumberCase{"TwentyDigits", "01234567890123456789", RequestProblem::None, 20},
                    NumberCase{"TwentyOneDigits", "012345678901234567890", RequestProblem::NumberTooLong, 0},
                    NumberCase{"MoreThan255Bytes", std::string(400, '5'), RequestProblem::NumberTooLong, 0},
                    NumberCase{"LettersAndSpaces", "03 ABC-xyz", RequestProblem::None, 10},
                    NumberCase{"TenDoubleByteCharacters", "あいうえおかきくけこ", RequestProblem::None, 20},
                    NumberCase{"ElevenDoubleByteCharacters", "あいうえおかきくけこさ", RequestProblem::NumberTooLong,
                               0}),
    [](const testing::TestParamInfo<NumberCase>& param) { return std::string(param.param.label); });

TEST(ReasonRequest, TakesExactlyTheFourLetters)
{
    for (const char letter : std::string("POCS")) {
        NotificationRequest request;
        ASSERT_EQ(MakeReasonRequest(letter, request), RequestProblem::None) << letter;
        EXPECT_EQ(request.kind, InformationKind::AbsenceReason);
        EXPECT_EQ(request.text, std::string(1, letter));
    }
    for (const char letter : std::string("pQ1\0 ", 5)) {
        NotificationRequest request;
        EXPECT_EQ(MakeReasonRequest(letter, request), RequestProblem::UnknownReason) << int(letter);
    }
}

TEST(DialogRequest, TakesTheFieldOfTheChosenKindAndWordsTheNumbersProblems)
{
    NotificationRequest request;
    ASSERT_EQ(MakeDialogRequest(1, "", 2, request), RequestProblem::None);  // the number is not looked at
    EXPECT_EQ(request.text, "C");
    ASSERT_EQ(MakeDialogRequest(0, "0312345678", 2, request), RequestProblem::None);
    EXPECT_EQ(request.text, "0312345678");
    for (const auto& [kind, reason] : {std::pair{1, -1}, {1, 4}, {-1, 0}, {2, 0}})
        EXPECT_EQ(MakeDialogRequest(kind, "1", reason, request), RequestProblem::UnknownReason) << kind << reason;
    EXPECT_EQ(request.text, "0312345678");  // left alone

    EXPECT_EQ(DialogMessage(MakeDialogRequest(0, "", 0, request)), "番号を入力してください");
    EXPECT_EQ(DialogMessage(MakeDialogRequest(0, std::string(21, '1'), 0, request)), "番号は20桁まで設定できます");
    EXPECT_EQ(DialogMessage(RequestProblem::UnknownReason), "");
}

TEST(AmplitudeStep, OnlyTheListsPercentages)
{
    for (int percent = -10; percent <= 110; ++percent) {
        const std::optional<int> step = AmplitudeStepFromPercent(percent);
        if (percent >= 10 && percent <= 100 && percent % 10 == 0)
            EXPECT_EQ(step, percent / 10 - 1) << percent;
        else
            EXPECT_EQ(step, std::nullopt) << percent;
    }
}

}  // namespace
}  // namespace corvane
