// Editing a container and writing it back: what survives, what moves, and what
// is refused.
#include "ArchiveTestSupport.h"

#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace archivetest;

namespace {

class EditSave : public ::testing::Test {
protected:
    static std::vector<PlainEntry> FourEntries()
    {
        Bytes big(30000);
        for (std::size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<unsigned char>(i * i % 251);
        return {{"readme.txt", ToBytes("read me first"), 0x11111111},
                {"big.bin", big, 0x22222222},
                {"empty", {}, 0x33333333},
                {"last.txt", ToBytes("the end"), 0x44444444}};
    }

    // Loads a fresh archive of FourEntries, directory in data order (name list at index 4).
    void LoadFour(bool withSignature = false)
    {
        raw = MakeArchive(FourEntries());
        // The empty entry shares its offset with last.txt, so its index must be the higher.
        std::swap(raw.records[2], raw.records[3]);
        if (withSignature)
            raw.signature = ToBytes("SIGNATURE");
        original = raw.Serialize();
        WriteFile(path, original);
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
        ASSERT_EQ(archive.GetNumEntries(), 4u);
        ASSERT_STREQ(archive.GetEntry(2)->GetName(), "empty");
    }

    // Saves, reloads into a new container and returns what it holds.
    std::vector<EntryState> SaveAndReload(const std::string& target)
    {
        EXPECT_EQ(archive.Save(target.c_str()), DMResult::Success);
        DMDataFile reloaded(nullptr);
        EXPECT_EQ(reloaded.Load(target.c_str()), DMResult::Success);
        return Snapshot(reloaded);
    }

    TempDir dir;
    std::string path = dir.File("game.dat");
    RawArchive raw;
    Bytes original;
    DMDataFile archive{nullptr};
};

TEST_F(EditSave, AnUnchangedSaveKeepsPackedBytesSlotsAndSignature)
{
    LoadFour(true);
    const std::vector<EntryState> before = Snapshot(archive);
    const std::string copy = dir.File("copy.dat");
    ASSERT_EQ(archive.Save(copy.c_str()), DMResult::Success);
    const Bytes written = ReadFile(copy);

    // Entries' packed bytes come first and unchanged: the files agree up to the name list.
    const std::uint32_t nameListOffset = raw.records.back().offset;
    ASSERT_GE(written.size(), nameListOffset);
    EXPECT_TRUE(std::equal(original.begin() + 4, original.begin() + nameListOffset, written.begin() + 4));
    EXPECT_EQ(written, original) << "with the same zlib even the name list comes out the same";
    EXPECT_TRUE(std::equal(written.end() - 9, written.end(), ToBytes("SIGNATURE").begin()));

    DMDataFile reloaded(nullptr);
    ASSERT_EQ(reloaded.Load(copy.c_str()), DMResult::Success);
    EXPECT_EQ(Snapshot(reloaded), before);
}

TEST_F(EditSave, AddedEntriesComeLastWithTheNextSlots)
{
    LoadFour();
    const unsigned first = archive.AddEntry();
    const unsigned second = archive.AddEntry();
    EXPECT_EQ(first, 4u);
    EXPECT_EQ(second, 5u);
    EXPECT_EQ(archive.GetEntry(first)->GetIndex(), 5u);
    EXPECT_EQ(archive.GetEntry(second)->GetIndex(), 6u);
    archive.GetEntry(first)->SetName("new one");
    archive.GetEntry(first)->SetData("fresh", 5);
    archive.GetEntry(second)->SetName("new and empty");

    const auto entries = SaveAndReload(path);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[4].name, "new one");
    EXPECT_EQ(entries[4].data, ToBytes("fresh"));
    EXPECT_EQ(entries[5].name, "new and empty");
    EXPECT_TRUE(entries[5].data.empty());
    EXPECT_EQ(entries[5].dataResult, DMResult::Success);
    EXPECT_EQ(archive.GetEntry(second)->GetPackedLength(), 0u) << "no data, no packed bytes";
}

TEST_F(EditSave, DeletingClosesTheGapInDirectoryOrder)
{
    LoadFour();
    archive.DelEntry(0);  // readme.txt, index 0
    EXPECT_TRUE(archive.GetEntry(0)->Deleted());
    EXPECT_EQ(archive.GetNumEntries(), 4u) << "positions stay while editing";
    archive.DelEntry(0);  // again: ignored
    archive.DelEntry(4);  // the name list's position: ignored
    archive.DelEntry(99);

    const auto entries = SaveAndReload(path);
    ASSERT_EQ(entries.size(), 3u);
    const auto expected = FourEntries();
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].name, expected[i + 1].name);
        EXPECT_EQ(entries[i].data, expected[i + 1].data);
        EXPECT_EQ(entries[i].checkSum, expected[i + 1].checkSum);
    }
    // The name list's record moved up from slot 4 to slot 3; the others moved up one too.
    const Bytes written = ReadFile(path);
    const std::uint32_t d = WordAt(written, 0);
    ASSERT_EQ(WordAt(written, d), 4u);
    const std::size_t slot3 = d + 4 + 3 * 12;
    const Bytes list = NameList({"big.bin", "empty", "last.txt"});
    EXPECT_EQ(WordAt(written, slot3 + 4), d - PackBlocks(list).size());
    EXPECT_EQ(WordAt(written, slot3 + 8), list.size());
    EXPECT_EQ(entries[0].index, 0u);
    EXPECT_EQ(entries[1].index, 2u);
    EXPECT_EQ(entries[2].index, 1u);
}

TEST_F(EditSave, RenameReplaceAndChecksumSurviveASave)
{
    LoadFour();
    WriteFile(dir.File("replacement"), ToBytes("replaced content"));
    archive.GetEntry(1)->SetName("renamed.bin");
    ASSERT_EQ(archive.GetEntry(1)->LoadData(dir.File("replacement").c_str()), DMResult::Success);
    archive.GetEntry(3)->SetCheckSum(0xCAFEF00D);

    const auto entries = SaveAndReload(path);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].name, "renamed.bin");
    EXPECT_EQ(entries[1].data, ToBytes("replaced content"));
    EXPECT_EQ(entries[1].checkSum, 0x22222222u) << "renaming computes no checksum";
    EXPECT_EQ(entries[3].checkSum, 0xCAFEF00Du);
    EXPECT_EQ(entries[0].data, FourEntries()[0].data);

    // The container itself now views the new data area and still reads right.
    const auto inMemory = Snapshot(archive);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(inMemory[i].data, entries[i].data) << i;
}

TEST_F(EditSave, ADeletedEntryHasNoDataAfterASave)
{
    LoadFour();
    archive.GetEntry(3)->SetData("unpacked", 8);
    archive.DelEntry(1);
    archive.DelEntry(3);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    for (unsigned position : {1u, 3u}) {
        DMDataFileEntry* entry = archive.GetEntry(position);
        Bytes out(entry->GetLength(), 0xAB);
        const int result = entry->GetData(out.data());
        EXPECT_TRUE(result == DMResult::CorruptData || (result == DMResult::Success && entry->GetLength() == 0))
            << position;
        EXPECT_EQ(entry->GetPackedLength(), 0u);
        EXPECT_EQ(entry->SaveData(dir.File("deleted").c_str()), DMResult::CorruptData);
    }
}

TEST_F(EditSave, ANewArchiveCanBeMadeFromAnEmptyContainer)
{
    DMDataFile empty(nullptr);
    EXPECT_EQ(empty.Save(nullptr), DMResult::NoPath);
    ASSERT_EQ(empty.Save(path.c_str()), DMResult::Success) << "the name list is made first";
    DMDataFile reloaded(nullptr);
    ASSERT_EQ(reloaded.Load(path.c_str()), DMResult::Success);
    EXPECT_EQ(reloaded.GetNumEntries(), 0u);

    // Three entries, the first two empty: their shared offset must not mix up names.
    for (const char* name : {"a", "b", "c"}) {
        const unsigned position = empty.AddEntry();
        empty.GetEntry(position)->SetName(name);
    }
    empty.GetEntry(2)->SetData("c data", 6);
    ASSERT_EQ(empty.Save(nullptr), DMResult::Success);
    ASSERT_EQ(reloaded.Load(path.c_str()), DMResult::Success);
    const auto entries = Snapshot(reloaded);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "a");
    EXPECT_EQ(entries[1].name, "b");
    EXPECT_EQ(entries[2].name, "c");
    EXPECT_EQ(entries[2].data, ToBytes("c data"));
    EXPECT_EQ(Snapshot(empty), entries) << "indices in memory follow what was written";
}

TEST_F(EditSave, ABrokenDirectoryIsRefusedAndNothingWritten)
{
    LoadFour();
    archive.GetEntry(0)->SetIndex(17);
    const std::string target = dir.File("never.dat");
    EXPECT_EQ(archive.Save(target.c_str()), DMResult::NoDirectory);
    EXPECT_FALSE(FileExists(target));
    archive.GetEntry(0)->SetIndex(1);  // now two entries claim slot 1
    EXPECT_EQ(archive.Save(target.c_str()), DMResult::NoDirectory);
    EXPECT_FALSE(FileExists(target));
    archive.GetEntry(0)->SetIndex(0);
    EXPECT_EQ(archive.Save(target.c_str()), DMResult::Success);
}

TEST_F(EditSave, OverwritingKeepsTimesAndPermissions)
{
    LoadFour();
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 123}, {1100000000, 456}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    archive.GetEntry(0)->SetName("changed");
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);

    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(info.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 456);
    EXPECT_NE(ReadFile(path), original);
    EXPECT_EQ((std::vector<std::string>{"game.dat"}), dir.List()) << "no temporary file left";
}

TEST_F(EditSave, SavingThroughASymbolicLinkReplacesItsTarget)
{
    LoadFour();
    const std::string link = dir.File("link.dat");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    archive.GetEntry(0)->SetName("via link");
    ASSERT_EQ(archive.Save(link.c_str()), DMResult::Success);
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    DMDataFile reloaded(nullptr);
    ASSERT_EQ(reloaded.Load(path.c_str()), DMResult::Success);
    EXPECT_STREQ(reloaded.GetEntry(0)->GetName(), "via link");
}

TEST_F(EditSave, SignatureIsCopiedOrDropped)
{
    LoadFour();
    unsigned length = 0;
    archive.SetSignature("123456789", 9);
    EXPECT_NE(archive.GetSignature(length), nullptr);
    EXPECT_EQ(length, 9u);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    DMDataFile reloaded(nullptr);
    ASSERT_EQ(reloaded.Load(path.c_str()), DMResult::Success);
    const auto* signature = static_cast<const char*>(reloaded.GetSignature(length));
    ASSERT_EQ(length, 9u);
    EXPECT_EQ(std::string(signature, 9), "123456789");

    for (const void* data : {static_cast<const void*>(nullptr), static_cast<const void*>("abc")}) {
        archive.SetSignature(data, data ? 0 : 9);
        EXPECT_EQ(archive.GetSignature(length), nullptr);
        EXPECT_EQ(length, 0u);
    }
}

}  // namespace
