// Saving goes through the safe file writer (whose guarantees its own suite
// tests): a failed save leaves the old file, names its system error and loses
// nothing in memory; a good one keeps the file's times.
#include "ArchiveSuite.h"

#include "archive/DMLastError.h"

#include <cerrno>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

using namespace archivetest;

namespace {

class AtomicSave : public ::testing::Test, protected LoadedSample {};

TEST_F(AtomicSave, AFailedSaveLeavesTheOldFileAndNamesTheCause)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no per-process file size limit to make a write fail as on a full disk";
#else
    const Bytes bigger = PatternBytes(200000, 43);
    archive.GetEntry(0)->SetData(bigger.data(), static_cast<unsigned>(bigger.size()));
    {
        FileSizeLimit limit(100000);
        EXPECT_EQ(archive.Save(nullptr), DMResult::ShortWrite);
        EXPECT_EQ(DMLastSystemError(), EFBIG);
    }
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"game.dat"}) << "no temporary file left";

    // Nothing was lost in memory either: the next save goes through, keeping the file's times.
    const std::vector<EntryState> expected = Snapshot(archive);
    const struct timespec times[2] = {{1000000000, 123}, {1100000000, 456}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    EXPECT_EQ(DMLastSystemError(), 0);
    EXPECT_EQ(Reload(path), expected);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1100000000);
    // A failure of the library's own leaves no system error behind.
    DMDataFile pathless(nullptr);
    EXPECT_EQ(pathless.Save(nullptr), DMResult::NoPath);
    EXPECT_EQ(DMLastSystemError(), 0);
#endif
}

}  // namespace
