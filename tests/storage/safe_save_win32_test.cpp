// SPDX-License-Identifier: MIT
// The save on Windows, on the real file system (under wine in the test run).
#include "storage/safe_save.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::vector<std::uint8_t> kOld(5000, 0x5A);
const std::vector<std::uint8_t> kNew(33244, 0xA5);

Status Save(const std::string& path, const SaveCalls& calls = SaveCalls::System())
{
    return SaveFileSafelyUsing(path, kNew, calls);
}

// A failed save names the path, leaves the old file as it was and leaves no other file behind.
void ExpectFailedSaveKeeps(const TempDir& dir, const std::string& path, const std::string& reason,
                           const SaveCalls& calls = SaveCalls::System())
{
    const auto before = dir.Entries();
    const Status status = Save(path, calls);
    ASSERT_FALSE(status.IsOk());
    EXPECT_NE(status.Message().find("「" + path + "」"), std::string::npos) << status.Message();
    EXPECT_NE(status.Message().find(reason), std::string::npos) << status.Message();
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(dir.Entries(), before);
}

TEST(SaveFileSafelyOnWindows, WritesANewFileAndNothingElse)
{
    TempDir dir;
    ASSERT_TRUE(Save(dir.File("new.wav")).IsOk());
    EXPECT_EQ(ReadFile(dir.File("new.wav")), kNew);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"new.wav"});
}

TEST(SaveFileSafelyOnWindows, ReplacesAFileKeepingItsAttributes)
{
    TempDir dir;
    const std::string path = dir.File("old.wav");
    WriteFile(path, std::vector<std::uint8_t>(200000, 0xAA));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Save(path).IsOk());
    EXPECT_EQ(ReadFile(path), kNew);
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.wav"});
}

TEST(SaveFileSafelyOnWindows, RefusesAReadOnlyFileAndAFolder)
{
    TempDir dir;
    const std::string path = dir.File("locked.wav");
    WriteFile(path, kOld);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectFailedSaveKeeps(dir, path, "読み取り専用のファイルです");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    ASSERT_TRUE(CreateDirectoryA(dir.File("folder.wav").c_str(), nullptr));
    const Status status = Save(dir.File("folder.wav"));
    EXPECT_NE(status.Message().find("フォルダーです"), std::string::npos) << status.Message();
}

class ReservedName : public testing::TestWithParam<const char*> {};

TEST_P(ReservedName, IsRefusedInAnyFolder)
{
    TempDir dir;
    const std::string path = dir.File(GetParam());
    const Status status = Save(path);
    ASSERT_FALSE(status.IsOk());
    EXPECT_NE(status.Message().find("「" + path + "」"), std::string::npos) << status.Message();
    EXPECT_NE(status.Message().find("デバイスの名前です"), std::string::npos) << status.Message();
    EXPECT_TRUE(dir.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Devices, ReservedName,
                         testing::Values("CON", "con.wav", "NUL", "nul.txt.wav", "PRN", "AUX", "COM1", "com9.wav",
                                         "LPT1", "Lpt5.wav", "CON .wav"));

TEST(SaveFileSafelyOnWindows, TakesAnOrdinaryNameThatOnlyLooksLikeADevice)
{
    TempDir dir;
    for (const char* pszName : {"CONSOLE.wav", "COM10.wav", "nul_", "LPT.wav"}) {
        ASSERT_TRUE(Save(dir.File(pszName)).IsOk()) << pszName;
        EXPECT_EQ(ReadFile(dir.File(pszName)), kNew);
    }
}

TEST(SaveFileSafelyOnWindows, SavesBeyondMaxPath)
{
    TempDir dir;
    std::wstring folder(dir.Path().begin(), dir.Path().end());
    std::string path = dir.Path();
    for (int level = 0; level < 6; ++level) {
        const std::string part = "/" + std::string(60, static_cast<char>('a' + level));
        path += part;
        folder += std::wstring(part.begin(), part.end());
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr) ||
                    CreateDirectoryW(folder.c_str(), nullptr));
    }
    path += "/signal.wav";
    ASSERT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
    ASSERT_TRUE(Save(path).IsOk()) << Save(path).Message();
    // Read back under the long-path prefix, with the slashes Windows wants there.
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& ch : wide)
        ch = ch == L'/' ? L'\\' : ch;
    HANDLE hFile = CreateFileW((L"\\\\?\\" + wide).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(hFile, nullptr), kNew.size());
    CloseHandle(hFile);
}

TEST(SaveFileSafelyOnWindows, TakesAJapaneseName)
{
    TempDir dir;
    const std::string path = dir.File("発信番号.wav");
    ASSERT_TRUE(Save(path).IsOk());
    std::wstring wide(dir.Path().begin(), dir.Path().end());
    wide += L"/\x767A\x4FE1\x756A\x53F7.wav";
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Each call of the save failing in turn.
struct FailingCall {
    const char* label;
    SaveCalls calls;
};

bool FailWrite(void*, const void*, std::uint32_t, std::uint32_t*)
{
    SetLastError(ERROR_DISK_FULL);
    return false;
}
bool FailFlush(void*)
{
    SetLastError(ERROR_WRITE_FAULT);
    return false;
}
bool FailReplace(const wchar_t*, const wchar_t*)
{
    SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
    return false;
}
bool FailMove(const wchar_t*, const wchar_t*)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

class FailingSave : public testing::TestWithParam<FailingCall> {};

TEST_P(FailingSave, LeavesTheOldFileAndNothingStray)
{
    TempDir dir;
    const std::string path = dir.File("old.wav");
    WriteFile(path, kOld);
    if (std::string(GetParam().label) == "Move") {
        EXPECT_TRUE(Save(path, GetParam().calls).IsOk());  // a file that exists is replaced, never moved over
        return;
    }
    ExpectFailedSaveKeeps(dir, path, "", GetParam().calls);
}

TEST_P(FailingSave, LeavesNoFileForANewName)
{
    TempDir dir;
    const Status status = Save(dir.File("new.wav"), GetParam().calls);
    if (std::string(GetParam().label) == "Replace") {
        EXPECT_TRUE(status.IsOk());  // a new name is moved into place, never replaced
        return;
    }
    EXPECT_FALSE(status.IsOk());
    EXPECT_TRUE(dir.Entries().empty());
}

const SaveCalls& System()
{
    return SaveCalls::System();
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, FailingSave,
    testing::Values(FailingCall{"Write", {FailWrite, System().flush, System().replace, System().move}},
                    FailingCall{"Flush", {System().write, FailFlush, System().replace, System().move}},
                    FailingCall{"Replace", {System().write, System().flush, FailReplace, System().move}},
                    FailingCall{"Move", {System().write, System().flush, System().replace, FailMove}}),
    [](const testing::TestParamInfo<FailingCall>& param) { return std::string(param.param.label); });

}  // namespace
}  // namespace corvane
