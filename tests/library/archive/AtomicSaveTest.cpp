// Saving never damages what is already on disk: a failed write leaves the old
// file byte for byte and no temporary file behind, and names its system error;
// a good one keeps the file's times, permissions and symbolic link.
#include "ArchiveSuite.h"

#include "archive/DMLastError.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#ifdef _WIN32
#include "archive/WindowsHeaders.h"
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace archivetest;

namespace {

#ifndef _WIN32
// Makes every write past `bytes` into a regular file fail, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_old;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

class AtomicSave : public ::testing::Test, protected LoadedSample {
protected:
    void ExpectUntouched(std::vector<std::string> names = {"game.dat"})
    {
        EXPECT_EQ(ReadFile(path), original);
        EXPECT_EQ(dir.List(), names) << "no temporary file left";
    }
};

TEST_F(AtomicSave, AFailedWriteLeavesTheOldFileAlone)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no per-process file size limit to make a write fail as on a full disk";
#else
    const Bytes bigger = PatternBytes(200000, 43);
    archive.GetEntry(0)->SetData(bigger.data(), static_cast<unsigned>(bigger.size()));
    const std::string exported = dir.File("export.bin");
    WriteFile(exported, "previous export");
    {
        FileSizeLimit limit(100000);
        EXPECT_EQ(archive.Save(nullptr), DMResult::ShortWrite);
        EXPECT_EQ(DMLastSystemError(), EFBIG);
        EXPECT_EQ(archive.GetEntry(0)->SaveData(exported.c_str()), DMResult::ShortWrite);
    }
    EXPECT_EQ(ReadFile(exported), ToBytes("previous export"));
    ExpectUntouched({"export.bin", "game.dat"});
    // Nothing was lost in memory either: the next save goes through.
    const std::vector<EntryState> expected = Snapshot(archive);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    EXPECT_EQ(DMLastSystemError(), 0);
    EXPECT_EQ(Reload(path), expected);
    EXPECT_EQ(expected[0].data, bigger);
    // Not a regular file: written directly instead of renamed over.
    EXPECT_EQ(archive.GetEntry(1)->SaveData("/dev/null"), DMResult::Success);
#endif
}

TEST_F(AtomicSave, AnUnopenableOrWriteProtectedTargetIsReportedAndKept)
{
    const std::string exported = dir.File("export.bin");
    WriteFile(exported, "kept");
    for (const std::string& file : {path, exported})
        std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
    // The system's own numbers: errno, or GetLastError() on Windows (whose answer
    // for a folder differs between versions: 0 stands for any).
#ifdef _WIN32
    const int noFolder = ERROR_PATH_NOT_FOUND, isFolder = 0, denied = ERROR_ACCESS_DENIED;
#else
    const int noFolder = ENOENT, isFolder = EISDIR, denied = EACCES;
#endif
    const std::vector<std::pair<std::string, int>> targets = {
        {dir.File("missing/dir/game.dat"), noFolder}, {dir.Path() + "/", isFolder}, {path, denied}};
    for (const auto& [target, error] : targets) {
        EXPECT_EQ(archive.Save(target.c_str()), DMResult::CannotOpen) << target;
        EXPECT_TRUE(error ? DMLastSystemError() == error : DMLastSystemError() != 0) << target << ": " << DMLastSystemError();
    }
    EXPECT_EQ(archive.GetEntry(1)->SaveData(exported.c_str()), DMResult::CannotOpen);
    EXPECT_EQ(DMLastSystemError(), denied);
    EXPECT_EQ(ReadFile(exported), ToBytes("kept"));
    ExpectUntouched({"export.bin", "game.dat"});
    // A failure of the library's own leaves no system error behind.
    DMDataFile pathless(nullptr);
    EXPECT_EQ(pathless.Save(nullptr), DMResult::NoPath);
    EXPECT_EQ(DMLastSystemError(), 0);
}

TEST_F(AtomicSave, ANameAsLongAsTheFileSystemAllowsCanBeSaved)
{
#ifdef _WIN32
    // Windows limits the whole path (MAX_PATH, 260 with its NUL), not just the name.
    const std::size_t folder = std::filesystem::absolute(dir.Path()).string().size() + 1;
    const std::string longName = std::string(MAX_PATH - 1 - folder - 4, 'n') + ".dat";
#else
    const std::string longName = std::string(251, 'n') + ".dat";
#endif
    ASSERT_EQ(archive.Save(dir.File(longName).c_str()), DMResult::Success);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);  // over the existing file this time
    ExpectUntouched({"game.dat", longName});
}

TEST_F(AtomicSave, OverwritingKeepsTimesPermissionsAndLinks)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX modes, nanosecond times and symbolic links made without privileges are not Windows'";
#else
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 123}, {1100000000, 456}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const std::string link = dir.File("link.dat");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    archive.GetEntry(0)->SetName("via link");
    ASSERT_EQ(archive.Save(link.c_str()), DMResult::Success);

    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 456);
    EXPECT_EQ(Reload(path)[0].name, "via link");
#endif
}

}  // namespace
