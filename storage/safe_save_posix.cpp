// SPDX-License-Identifier: MIT
#include "safe_save.h"

#include "save_refusal.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel allows before ELOOP

ssize_t SystemWrite(int fd, const void* pData, std::size_t count)
{
    return ::write(fd, pData, count);
}
int SystemFsync(int fd)
{
    return ::fsync(fd);
}
int SystemRenameat(int fromDir, const char* pszFrom, int toDir, const char* pszTo)
{
    return ::renameat(fromDir, pszFrom, toDir, pszTo);
}
int SystemLinkat(int fromDir, const char* pszFrom, int toDir, const char* pszTo, int flags)
{
    return ::linkat(fromDir, pszFrom, toDir, pszTo, flags);
}

// The system's reason, in the words of the locale's language.
Status SystemFailure(const std::string& path, int nErrno)
{
    return Refused(path, std::strerror(nErrno), std::strerror(nErrno));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now, so that an error of the last write-back is seen; errno is set on failure.
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

std::string Folder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LastName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links from path to the name that is not one (which need not exist yet);
// 0, or the errno that stopped it.
int FollowLinks(std::string& path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info = {};
        if (::lstat(path.c_str(), &info) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(info.st_mode))
            return 0;
        char szTarget[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), szTarget, sizeof szTarget);
        if (length < 0)
            return errno;
        if (static_cast<std::size_t>(length) == sizeof szTarget)
            return ENAMETOOLONG;
        const std::string target(szTarget, static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : Folder(path) + "/" + target;
    }
    return ELOOP;
}

// Why a file that exists cannot be replaced, or nullopt when it can.
std::optional<Reason> WhyNotReplaceable(const std::string& path, const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return Reason{"フォルダーです", "it is a folder"};
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return Reason{"デバイスファイルです", "it is a device"};
    if (S_ISFIFO(info.st_mode))
        return Reason{"名前付きパイプです", "it is a named pipe"};
    if (S_ISSOCK(info.st_mode))
        return Reason{"ソケットです", "it is a socket"};
    if (!S_ISREG(info.st_mode))
        return Reason{"通常のファイルではありません", "it is not a regular file"};
    // Root may write anything, so its access check says nothing about the file's own bits.
    if ((info.st_mode & 0222) == 0 || (::access(path.c_str(), W_OK) != 0 && errno == EACCES))
        return Reason{"読み取り専用のファイルです", "it is read-only"};
    return std::nullopt;
}

// Writes all of bytes at the file's start; 0, or the errno of the failure.
int WriteAll(const SaveCalls& calls, int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = calls.write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count < 0 ? errno : EIO;
        written += static_cast<std::size_t>(count);
    }
    return 0;
}

std::string HiddenName()
{
    // Short and independent of the target's name, so that every name the folder allows works.
    std::random_device random;
    char szName[32];
    std::snprintf(szName, sizeof szName, ".corvane-%08x", static_cast<unsigned>(random()));
    return szName;
}

// Several names for one file: every name must go on showing the new content, so the file itself
// is rewritten, once room for all of it is reserved.
Status RewriteInPlace(const std::string& path, const std::string& target, std::span<const std::uint8_t> bytes,
                      const SaveCalls& calls)
{
    FileDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.Get() < 0)
        return SystemFailure(path, errno);
    const auto size = static_cast<off_t>(bytes.size());
    if (const int nErrno = ::posix_fallocate(file.Get(), 0, size); nErrno != 0 && nErrno != EOPNOTSUPP)
        return SystemFailure(path, nErrno);
    int nErrno = WriteAll(calls, file.Get(), bytes);
    if (nErrno == 0 && ::ftruncate(file.Get(), size) != 0)
        nErrno = errno;
    if (nErrno == 0 && calls.fsync(file.Get()) != 0)
        nErrno = errno;
    if (nErrno == 0 && !file.Close())
        nErrno = errno;
    return nErrno == 0 ? Status() : SystemFailure(path, nErrno);
}

// A new file in folder: without a name where the filesystem allows it, else under a hidden one.
int CreateUnnamed(int folder, std::string& name)
{
    const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = HiddenName();
        const int named = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (named >= 0 || errno != EEXIST)
            return named;
    }
    return -1;
}

// Gives the complete, synced file fd a hidden name in folder; 0, or the errno.
int NameFile(const SaveCalls& calls, int fd, int folder, std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = HiddenName();
        if (calls.linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

}  // namespace

const SaveCalls& SaveCalls::System()
{
    static const SaveCalls calls{SystemWrite, SystemFsync, SystemRenameat, SystemLinkat};
    return calls;
}

Status SaveFileSafely(const std::string& path, std::span<const std::uint8_t> bytes)
{
    return SaveFileSafelyUsing(path, bytes, SaveCalls::System());
}

Status SaveFileSafelyUsing(const std::string& path, std::span<const std::uint8_t> bytes, const SaveCalls& calls)
{
    std::string target = path;
    if (const int nErrno = FollowLinks(target); nErrno != 0)
        return SystemFailure(path, nErrno);
    struct stat old = {};
    const bool bExists = ::lstat(target.c_str(), &old) == 0;
    if (!bExists && errno != ENOENT)
        return SystemFailure(path, errno);
    if (bExists) {
        if (const std::optional<Reason> why = WhyNotReplaceable(target, old))
            return Refused(path, *why);
        if (old.st_nlink > 1)
            return RewriteInPlace(path, target, bytes, calls);
    }

    FileDescriptor folder(::open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0)
        return SystemFailure(path, errno);
    std::string name;  // stays empty while the new file has no name
    FileDescriptor file(CreateUnnamed(folder.Get(), name));
    if (file.Get() < 0)
        return SystemFailure(path, errno);

    int nErrno = WriteAll(calls, file.Get(), bytes);
    if (nErrno == 0 && bExists) {
        // Owner first: changing it may clear set-id bits that the mode then restores.
        [[maybe_unused]] const int ignored = ::fchown(file.Get(), old.st_uid, old.st_gid);
        if (::fchmod(file.Get(), old.st_mode & 07777) != 0)
            nErrno = errno;
    }
    if (nErrno == 0 && calls.fsync(file.Get()) != 0)
        nErrno = errno;
    if (nErrno == 0 && name.empty())
        nErrno = NameFile(calls, file.Get(), folder.Get(), name);
    if (nErrno == 0 && !file.Close())
        nErrno = errno;
    if (nErrno == 0 && calls.renameat(folder.Get(), name.c_str(), folder.Get(), LastName(target).c_str()) != 0)
        nErrno = errno;
    if (nErrno != 0) {
        if (!name.empty())
            ::unlinkat(folder.Get(), name.c_str(), 0);
        return SystemFailure(path, nErrno);
    }
    // The rename itself is on disk only once the folder is.
    if (calls.fsync(folder.Get()) != 0)
        return SystemFailure(path, errno);
    return Status();
}

}  // namespace corvane
