// A save that fails leaves the old file and the container as they were:
// one past the 32-bit format's size limit (lowered through the library's
// internals, so no gigabytes are needed), or one the disk refuses, whose
// system error is named. How the file is replaced is the file writer's.
#include "ArchiveSuite.h"

#include "archive/ArchiveLimits.h"
#include "archive/DMLastError.h"

#include <cerrno>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

using namespace archivetest;
using namespace tomelens::archive;

namespace {

class FailedSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(path, original);
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
    }
    void TearDown() override { SetMaxArchiveFileSize(0xFFFFFFFFu); }

    TempDir dir;
    std::string path = dir.File("game.dat");
    Bytes original = MakeArchive({{"one", ToBytes("first"), 1}, {"two", PatternBytes(30000, 42), 2}}).Serialize();
    DMDataFile archive{nullptr};
};

TEST_F(FailedSave, AnArchiveThatWouldNotFitIsRefusedAndNothingWritten)
{
    ASSERT_EQ(archive.GetNumEntries(), 2u);
    const Bytes plain(50000, 'x');
    archive.GetEntry(0)->SetData(plain.data(), static_cast<unsigned>(plain.size()));
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    const Bytes saved = ReadFile(path);
    const std::vector<EntryState> before = Snapshot(archive);

    // One byte short of the file; too little to pack the entry; too little
    // for even the header, count and records.
    for (std::uint64_t limit : {saved.size() - 1, std::size_t(150), std::size_t(20)}) {
        SetMaxArchiveFileSize(limit);
        EXPECT_EQ(archive.Save(nullptr), DMResult::ShortWrite) << limit;
        EXPECT_EQ(ReadFile(path), saved);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"game.dat"});
        EXPECT_EQ(Snapshot(archive), before) << "the container is left as it was";
    }
    SetMaxArchiveFileSize(saved.size());
    EXPECT_EQ(archive.Save(nullptr), DMResult::Success);
}

TEST_F(FailedSave, AWriteTheDiskRefusesNamesItsCauseAndTheNextSaveKeepsTheFilesTimes)
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
