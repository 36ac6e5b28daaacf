#include "signal/wave_file.h"
#include "signal_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

using test::Number;
using test::ReadFile;
using test::Reason;
using test::Synthesize;
using test::TempDir;
using test::WriteFile;

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

TEST(WriteWaveFile, HeaderBytesForAReason)
{
    TempDir dir;
    const auto buffer = Synthesize(Reason('P'), 3);
    ASSERT_TRUE(WriteWaveFile(dir.File("p.wav"), *buffer).IsOk());
    const auto bytes = ReadFile(dir.File("p.wav"));
    ASSERT_EQ(bytes.size(), 44u + 29600u);
    const std::vector<std::uint8_t> header = {
        0x52, 0x49, 0x46, 0x46, 0xC4, 0x73, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74,
        0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0xC0, 0x5D, 0x00, 0x00, 0x80, 0xBB,
        0x00, 0x00, 0x02, 0x00, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61, 0xA0, 0x73, 0x00, 0x00};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 44), header);
    for (int i = 0; i < buffer->Offset; ++i) {
        const auto sample = static_cast<std::int16_t>(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8);
        ASSERT_EQ(sample, buffer->samples[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(WriteWaveFile, SizesForANumberAndTheUsualPermissions)
{
    TempDir dir;
    const std::string path = dir.File("number");  // used as given: no extension added
    const mode_t previous = umask(022);
    const Status status = WriteWaveFile(path, *Synthesize(Number("0312345678"), 1));
    umask(previous);
    ASSERT_TRUE(status.IsOk()) << status.Message();
    const auto bytes = ReadFile(path);
    EXPECT_EQ(bytes.size(), 33244u);
    EXPECT_EQ(Le32(bytes, 4), 33236u);
    EXPECT_EQ(Le32(bytes, 40), 33200u);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"number"});
}

TEST(WriteWaveFile, ReplacesALongerExistingFileEntirely)
{
    TempDir dir;
    const std::string path = dir.File("old.wav");
    WriteFile(path, std::vector<std::uint8_t>(200000, 0xAA));
    ASSERT_TRUE(WriteWaveFile(path, *Synthesize(Reason('O'), 0)).IsOk());
    EXPECT_EQ(ReadFile(path).size(), 44u + 29600u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.wav"});
}

// A failed save names the path, leaves the old file as it was and leaves no other file behind.
void ExpectFailedSaveKeeps(const TempDir& dir, const std::string& path,
                           const std::vector<std::uint8_t>& old, const SampleBuffer& buffer)
{
    const auto before = dir.Entries();
    const Status status = WriteWaveFile(path, buffer);
    EXPECT_FALSE(status.IsOk());
    EXPECT_NE(status.Message().find(path), std::string::npos) << status.Message();
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(dir.Entries(), before);
}

const std::vector<std::uint8_t> kOldContent(5000, 0x5A);

TEST(WriteWaveFile, MissingDirectoryIsReported)
{
    TempDir dir;
    const Status status = WriteWaveFile(dir.File("absent/x.wav"), *Synthesize(Reason('P'), 1));
    ASSERT_FALSE(status.IsOk());
    EXPECT_NE(status.Message().find(dir.File("absent/x.wav")), std::string::npos);
    EXPECT_NE(status.Message().find("No such file"), std::string::npos) << status.Message();
}

TEST(WriteWaveFile, TargetThatIsADirectoryIsReportedAndKept)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("folder.wav").c_str(), 0755), 0);
    EXPECT_FALSE(WriteWaveFile(dir.File("folder.wav"), *Synthesize(Reason('P'), 1)).IsOk());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"folder.wav"});
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

TEST(WriteWaveFile, UnwritableDirectoryKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir.File("keep.wav");
    const auto buffer = Synthesize(Reason('S'), 1);
    if (geteuid() != 0) {
        WriteFile(path, kOldContent);
        ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
        ExpectFailedSaveKeeps(dir, path, kOldContent, *buffer);
        chmod(dir.Path().c_str(), 0755);
        return;
    }
    // Root writes anywhere it has permission bits for; only a read-only filesystem stops it.
    TinyFilesystem fs(dir.Path(), "size=1m");
    if (!fs.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    WriteFile(path, kOldContent);
    ASSERT_TRUE(fs.RemountReadOnly());
    ExpectFailedSaveKeeps(dir, path, kOldContent, *buffer);
}

TEST(WriteWaveFile, FullDiskKeepsTheOldFile)
{
    TempDir dir;
    TinyFilesystem fs(dir.Path(), "size=16k");
    if (!fs.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string path = dir.File("full.wav");
    WriteFile(path, kOldContent);
    ExpectFailedSaveKeeps(dir, path, kOldContent, *Synthesize(Number("0312345678"), 1));
}

TEST(WriteWaveFile, FileSizeLimitKeepsTheOldFile)
{
    // Any user can make writes fail part-way by lowering the file size limit.
    TempDir dir;
    const std::string path = dir.File("limit.wav");
    WriteFile(path, kOldContent);
    const auto buffer = Synthesize(Number("0312345678"), 1);
    rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    ExpectFailedSaveKeeps(dir, path, kOldContent, *buffer);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

}  // namespace
}  // namespace corvane
