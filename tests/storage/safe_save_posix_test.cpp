// SPDX-License-Identifier: MIT
#include "storage/safe_save.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::vector<std::uint8_t> kOld(5000, 0x5A);
const std::vector<std::uint8_t> kNew(33244, 0xA5);

Status Save(const std::string& path, const std::vector<std::uint8_t>& bytes = kNew,
            const SaveCalls& calls = SaveCalls::System())
{
    return SaveFileSafelyUsing(path, bytes, calls);
}

mode_t Mode(const std::string& path)
{
    struct stat info = {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode;
}

// A failed save names the path, leaves the old file as it was and leaves no other file behind.
void ExpectFailedSaveKeeps(const TempDir& dir, const std::string& path, const SaveCalls& calls = SaveCalls::System())
{
    const auto before = dir.Entries();
    const Status status = Save(path, kNew, calls);
    ASSERT_FALSE(status.IsOk());
    EXPECT_NE(status.Message().find("「" + path + "」"), std::string::npos) << status.Message();
    EXPECT_EQ(status.Message().substr(status.Message().size() - 3), "。");
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(dir.Entries(), before);
}

TEST(SaveFileSafely, NewFileGetsTheUsualPermissionsAndNothingElseIsLeft)
{
    TempDir dir;
    const mode_t previous = umask(022);
    const Status status = Save(dir.File("new.wav"));
    umask(previous);
    ASSERT_TRUE(status.IsOk()) << status.Message();
    EXPECT_EQ(ReadFile(dir.File("new.wav")), kNew);
    EXPECT_EQ(Mode(dir.File("new.wav")) & 07777, 0644u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"new.wav"});
}

TEST(SaveFileSafely, ReplacesALongerFileEntirely)
{
    TempDir dir;
    WriteFile(dir.File("old.wav"), std::vector<std::uint8_t>(200000, 0xAA));
    ASSERT_TRUE(Save(dir.File("old.wav")).IsOk());
    EXPECT_EQ(ReadFile(dir.File("old.wav")), kNew);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.wav"});
}

class KeepsPermissionBits : public testing::TestWithParam<mode_t> {};

TEST_P(KeepsPermissionBits, OfTheReplacedFile)
{
    TempDir dir;
    const std::string path = dir.File("kept.wav");
    WriteFile(path, kOld);
    ASSERT_EQ(chmod(path.c_str(), GetParam()), 0);
    ASSERT_TRUE(Save(path).IsOk());
    EXPECT_EQ(Mode(path) & 07777, GetParam());
    EXPECT_EQ(ReadFile(path), kNew);
}

INSTANTIATE_TEST_SUITE_P(Modes, KeepsPermissionBits, testing::Values(0600, 0640, 0664, 0606, 0200));

TEST(SaveFileSafely, FollowsSymbolicLinksAndKeepsThem)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("real").c_str(), 0755), 0);
    WriteFile(dir.File("real/target.wav"), kOld);
    ASSERT_EQ(symlink("real/target.wav", dir.File("relative.wav").c_str()), 0);
    ASSERT_EQ(symlink(dir.File("relative.wav").c_str(), dir.File("chain.wav").c_str()), 0);
    ASSERT_TRUE(Save(dir.File("chain.wav")).IsOk());
    EXPECT_TRUE(S_ISLNK(Mode(dir.File("chain.wav"))));
    EXPECT_TRUE(S_ISLNK(Mode(dir.File("relative.wav"))));
    EXPECT_EQ(ReadFile(dir.File("real/target.wav")), kNew);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"chain.wav", "real", "relative.wav"}));
    // A dangling link gets its target made, as a shell redirection would.
    ASSERT_EQ(symlink("real/later.wav", dir.File("dangling.wav").c_str()), 0);
    ASSERT_TRUE(Save(dir.File("dangling.wav")).IsOk());
    EXPECT_EQ(ReadFile(dir.File("real/later.wav")), kNew);
    EXPECT_TRUE(S_ISLNK(Mode(dir.File("dangling.wav"))));
}

TEST(SaveFileSafely, LinkLoopIsReported)
{
    TempDir dir;
    ASSERT_EQ(symlink("b.wav", dir.File("a.wav").c_str()), 0);
    ASSERT_EQ(symlink("a.wav", dir.File("b.wav").c_str()), 0);
    const Status status = Save(dir.File("a.wav"));
    EXPECT_FALSE(status.IsOk());
    EXPECT_TRUE(S_ISLNK(Mode(dir.File("a.wav"))));
}

TEST(SaveFileSafely, HardLinksKeepSharingTheNewContent)
{
    TempDir dir;
    WriteFile(dir.File("one.wav"), std::vector<std::uint8_t>(100000, 0x11));
    ASSERT_EQ(link(dir.File("one.wav").c_str(), dir.File("two.wav").c_str()), 0);
    ASSERT_EQ(chmod(dir.File("one.wav").c_str(), 0640), 0);
    ASSERT_TRUE(Save(dir.File("one.wav")).IsOk());
    EXPECT_EQ(ReadFile(dir.File("one.wav")), kNew);
    EXPECT_EQ(ReadFile(dir.File("two.wav")), kNew);
    struct stat info = {};
    ASSERT_EQ(stat(dir.File("two.wav").c_str(), &info), 0);
    EXPECT_EQ(info.st_nlink, 2u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"one.wav", "two.wav"}));
}

// What stands at the target's name, made in dir as name; false when it cannot be made here.
using Maker = bool (*)(const TempDir& dir, const std::string& name);

struct Refusal {
    const char* label;
    Maker make;
    const char* reason;  // as the message gives it
};

bool MakeReadOnlyFile(const TempDir& dir, const std::string& name)
{
    WriteFile(dir.File(name), kOld);
    return chmod(dir.File(name).c_str(), 0444) == 0;
}
bool MakeFolder(const TempDir& dir, const std::string& name)
{
    return mkdir(dir.File(name).c_str(), 0755) == 0;
}
bool MakeFifo(const TempDir& dir, const std::string& name)
{
    return mkfifo(dir.File(name).c_str(), 0644) == 0;
}
bool MakeDevice(const TempDir& dir, const std::string& name)
{
    return mknod(dir.File(name).c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;  // as /dev/null
}
bool MakeSocket(const TempDir& dir, const std::string& name)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = dir.File(name);
    if (path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bBound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bBound;
}

class RefusesToReplace : public testing::TestWithParam<Refusal> {};

TEST_P(RefusesToReplace, AndLeavesItUntouched)
{
    TempDir dir;
    if (!GetParam().make(dir, "target.wav"))
        GTEST_SKIP() << "cannot make " << GetParam().label << " here";
    const std::string path = dir.File("target.wav");
    struct stat before = {};
    ASSERT_EQ(lstat(path.c_str(), &before), 0);
    const Status status = Save(path);
    ASSERT_FALSE(status.IsOk());
    EXPECT_EQ(status.Message(), "ファイル「" + path + "」を保存できませんでした（" + GetParam().reason + "）。");
    struct stat after = {};
    ASSERT_EQ(lstat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"target.wav"});
}

INSTANTIATE_TEST_SUITE_P(Kinds, RefusesToReplace,
                         testing::Values(Refusal{"ReadOnlyFile", MakeReadOnlyFile, "読み取り専用のファイルです"},
                                         Refusal{"Folder", MakeFolder, "フォルダーです"},
                                         Refusal{"Fifo", MakeFifo, "名前付きパイプです"},
                                         Refusal{"Device", MakeDevice, "デバイスファイルです"},
                                         Refusal{"Socket", MakeSocket, "ソケットです"}),
                         [](const testing::TestParamInfo<Refusal>& param) { return std::string(param.param.label); });

TEST(SaveFileSafely, EveryLegalNameAndLongPathWorks)
{
    TempDir dir;
    const std::string longest(NAME_MAX, 'n');
    WriteFile(dir.File(longest), kOld);
    ASSERT_TRUE(Save(dir.File(longest)).IsOk());
    EXPECT_EQ(ReadFile(dir.File(longest)), kNew);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{longest});

    // Folders nested until the path is a few bytes short of PATH_MAX.
    std::string path = dir.Path();
    const std::string folder(200, 'd');
    while (path.size() + 1 + folder.size() + 1 + 20 < PATH_MAX - 1) {
        path += "/" + folder;
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path.size();
    }
    path += "/" + std::string(PATH_MAX - 2 - path.size(), 'f');
    ASSERT_EQ(path.size(), static_cast<std::size_t>(PATH_MAX - 1));
    ASSERT_TRUE(Save(path).IsOk());
    ASSERT_TRUE(Save(path).IsOk());
    EXPECT_EQ(ReadFile(path), kNew);
}

// Calls that fail as a full disk, a failing disk or a moved folder would, at one chosen step.
int g_nFailingCall = -1;
std::vector<std::string> g_calls;

ssize_t RecordWrite(int fd, const void* pData, std::size_t count)
{
    g_calls.push_back("write");
    if (g_nFailingCall == 0) {
        SaveCalls::System().write(fd, pData, count / 2);  // part of it, as a disk filling up midway
        errno = ENOSPC;
        return -1;
    }
    return SaveCalls::System().write(fd, pData, count);
}
int RecordFsync(int fd)
{
    g_calls.push_back("fsync");
    if (g_nFailingCall == 1) {
        errno = EIO;
        return -1;
    }
    return SaveCalls::System().fsync(fd);
}
int RecordLinkat(int fromDir, const char* pszFrom, int toDir, const char* pszTo, int flags)
{
    g_calls.push_back("linkat");
    if (g_nFailingCall == 2) {
        errno = EMLINK;
        return -1;
    }
    return SaveCalls::System().linkat(fromDir, pszFrom, toDir, pszTo, flags);
}
int RecordRenameat(int fromDir, const char* pszFrom, int toDir, const char* pszTo)
{
    g_calls.push_back("renameat");
    if (g_nFailingCall == 3) {
        errno = EXDEV;
        return -1;
    }
    return SaveCalls::System().renameat(fromDir, pszFrom, toDir, pszTo);
}
const SaveCalls kRecordingCalls{RecordWrite, RecordFsync, RecordRenameat, RecordLinkat};

TEST(SaveFileSafely, DataIsOnDiskBeforeTheRenameAndTheFolderAfterIt)
{
    TempDir dir;
    WriteFile(dir.File("synced.wav"), kOld);
    g_nFailingCall = -1;
    g_calls.clear();
    ASSERT_TRUE(Save(dir.File("synced.wav"), kNew, kRecordingCalls).IsOk());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"write", "fsync", "linkat", "renameat", "fsync"}));
}

class InjectedFailure : public testing::TestWithParam<int> {};

TEST_P(InjectedFailure, KeepsTheOldFileAndLeavesNothingBehind)
{
    TempDir dir;
    const std::string path = dir.File("kept.wav");
    WriteFile(path, kOld);
    g_nFailingCall = GetParam();
    g_calls.clear();
    ExpectFailedSaveKeeps(dir, path, kRecordingCalls);
    g_nFailingCall = -1;
}

std::string CallName(const testing::TestParamInfo<int>& param)
{
    static const char* const kNames[] = {"Write", "Fsync", "Linkat", "Renameat"};
    return kNames[param.param];
}

INSTANTIATE_TEST_SUITE_P(Calls, InjectedFailure, testing::Values(0, 1, 2, 3), CallName);

ssize_t DieWhileWriting(int fd, const void* pData, std::size_t count)
{
    SaveCalls::System().write(fd, pData, count / 2);
    raise(SIGKILL);
    return -1;
}

TEST(SaveFileSafely, KilledSaveLeavesTheOldFileAndNothingElse)
{
    TempDir dir;
    const std::string path = dir.File("killed.wav");
    WriteFile(path, kOld);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const SaveCalls dying{DieWhileWriting, SaveCalls::System().fsync, SaveCalls::System().renameat,
                              SaveCalls::System().linkat};
        SaveFileSafelyUsing(path, kNew, dying);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"killed.wav"});
}

TEST(SaveFileSafely, MissingFolderIsReported)
{
    TempDir dir;
    const Status status = Save(dir.File("absent/x.wav"));
    ASSERT_FALSE(status.IsOk());
    EXPECT_NE(status.Message().find(dir.File("absent/x.wav")), std::string::npos);
    EXPECT_TRUE(dir.Entries().empty());
}

// Mounts a tmpfs of size bytes on dir for the test's life; only root may.
class TinyFilesystem {
public:
    TinyFilesystem(const std::string& dir, const char* options)
        : m_dir(dir), m_bMounted(mount("tmpfs", dir.c_str(), "tmpfs", 0, options) == 0)
    {
    }
    ~TinyFilesystem()
    {
        if (m_bMounted)
            umount(m_dir.c_str());
    }
    bool Mounted() const { return m_bMounted; }
    bool RemountReadOnly() const
    {
        return mount(nullptr, m_dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::string m_dir;
    bool m_bMounted;
};

TEST(SaveFileSafely, UnwritableFolderKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir.File("keep.wav");
    if (geteuid() != 0) {
        WriteFile(path, kOld);
        ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
        ExpectFailedSaveKeeps(dir, path);
        chmod(dir.Path().c_str(), 0755);
        return;
    }
    // Root writes anywhere it has permission bits for; only a read-only filesystem stops it.
    TinyFilesystem fs(dir.Path(), "size=1m");
    if (!fs.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    WriteFile(path, kOld);
    ASSERT_TRUE(fs.RemountReadOnly());
    ExpectFailedSaveKeeps(dir, path);
}

TEST(SaveFileSafely, FullDiskKeepsTheOldFile)
{
    TempDir dir;
    TinyFilesystem fs(dir.Path(), "size=16k");
    if (!fs.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string path = dir.File("full.wav");
    WriteFile(path, kOld);
    ExpectFailedSaveKeeps(dir, path);
    // With another name for it, the file is rewritten in place: only if all of it fits.
    ASSERT_EQ(link(path.c_str(), dir.File("other.wav").c_str()), 0);
    ExpectFailedSaveKeeps(dir, path);
}

TEST(SaveFileSafely, FileSizeLimitKeepsTheOldFile)
{
    // Any user can make writes fail part-way by lowering the file size limit.
    TempDir dir;
    const std::string path = dir.File("limit.wav");
    WriteFile(path, kOld);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    ExpectFailedSaveKeeps(dir, path);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

}  // namespace
}  // namespace corvane
