// The 32-bit format's limit on what a save may write, lowered through the
// library's internals so the refusal is reached without gigabytes.
#include "ArchiveSuite.h"

#include "archive/ArchiveLimits.h"

using namespace archivetest;
using namespace tomelens::archive;

namespace {

class SaveLimit : public ::testing::Test, protected LoadedSample {
protected:
    void TearDown() override { SetMaxArchiveFileSize(0xFFFFFFFFu); }
};

TEST_F(SaveLimit, AnArchiveThatWouldNotFitIsRefusedAndNothingWritten)
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

}  // namespace
