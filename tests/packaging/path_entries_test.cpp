// SPDX-License-Identifier: MIT
// The installer's edit of the user's PATH: its folder added once and taken off again, and
// whatever else the value holds given back to the character.
#include "path_entries.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr wchar_t kFolder[] = L"C:\\Users\\テスト\\AppData\\Local\\Programs\\Corvane";

struct PathCase {
    const char* name;
    std::wstring before;  // the user's PATH before the install
    std::wstring added;   // after it
};

class PathEntry : public testing::TestWithParam<PathCase> {};

TEST_P(PathEntry, IsAddedOnceAndRemovingItGivesThePathBackExactly)
{
    const PathCase& c = GetParam();
    const std::wstring added = WithPathEntry(c.before, kFolder);
    EXPECT_EQ(added, c.added);
    EXPECT_EQ(WithPathEntry(added, kFolder), added);  // a second install adds nothing
    EXPECT_EQ(WithoutPathEntry(added, kFolder), c.before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PathEntry,
    testing::Values(PathCase{"Empty", L"", kFolder},
                    PathCase{"OneEntry", L"%USERPROFILE%\\bin", std::wstring(L"%USERPROFILE%\\bin;") + kFolder},
                    PathCase{"TrailingSemicolon", L"C:\\a;", std::wstring(L"C:\\a;;") + kFolder},
                    PathCase{"EmptyEntries", L";C:\\a;;C:\\b", std::wstring(L";C:\\a;;C:\\b;") + kFolder}),
    [](const testing::TestParamInfo<PathCase>& param) { return param.param.name; });

TEST(PathEntry, LongerThanAnInstallerStringIsKeptWhole)
{
    std::wstring before;
    while (before.size() < 4000)
        before += L"%USERPROFILE%\\tools\\" + std::to_wstring(before.size()) + L";";
    before += L"C:\\last";
    EXPECT_EQ(WithoutPathEntry(WithPathEntry(before, kFolder), kFolder), before);
}

TEST(PathEntry, AFolderThereAlreadyInAnotherCaseOrWithABackslashIsNotAddedAgain)
{
    const std::wstring path = L"C:\\a;c:\\users\\テスト\\appdata\\local\\programs\\corvane\\";
    EXPECT_EQ(WithPathEntry(path, kFolder), path);
}

TEST(PathEntry, RemovingTakesEveryEntryOfTheFolderAndNothingElse)
{
    const std::wstring path = std::wstring(kFolder) + L";C:\\a;" + kFolder + L"\\;C:\\Corvane;" + kFolder;
    EXPECT_EQ(WithoutPathEntry(path, kFolder), L"C:\\a;C:\\Corvane");
    EXPECT_EQ(WithoutPathEntry(L"C:\\a;C:\\b", kFolder), L"C:\\a;C:\\b");
}

}  // namespace
}  // namespace corvane
