// Editing a container and writing it back: what survives, what moves, and what
// is refused.
#include "ArchiveSuite.h"

using namespace archivetest;

namespace {

std::vector<PlainEntry> FourEntries()
{
    Bytes big(30000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i * i % 251);
    return {{"readme.txt", ToBytes("read me first"), 0x11111111},
            {"big.bin", big, 0x22222222},
            {"empty", {}, 0x33333333},
            {"last.txt", ToBytes("the end"), 0x44444444}};
}

class EditSave : public ::testing::Test {
protected:
    // Loads FourEntries, directory in data order (name list at index 4) but for
    // the empty entry, which shares its offset with last.txt and so needs the higher index.
    void SetUp() override
    {
        raw = MakeArchive(FourEntries());
        std::swap(raw.records[2], raw.records[3]);
        raw.signature = ToBytes("SIGNATURE");
        original = raw.Serialize();
        WriteFile(path, original);
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
        ASSERT_EQ(archive.GetNumEntries(), 4u);
        ASSERT_STREQ(archive.GetEntry(2)->GetName(), "empty");
    }

    std::vector<EntryState> SaveAndReload()
    {
        EXPECT_EQ(archive.Save(nullptr), DMResult::Success);
        return Reload(path);
    }

    TempDir dir;
    std::string path = dir.File("game.dat");
    RawArchive raw;
    Bytes original;
    DMDataFile archive{nullptr};
};

TEST_F(EditSave, AnUnchangedSaveKeepsPackedBytesSlotsAndSignature)
{
    const std::vector<EntryState> before = Snapshot(archive);
    const std::string copy = dir.File("copy.dat");
    ASSERT_EQ(archive.Save(copy.c_str()), DMResult::Success);
    // Entries' packed bytes, slots, checksums and the signature all stay; with
    // the same zlib even the name list comes out the same.
    EXPECT_EQ(ReadFile(copy), original);
    EXPECT_EQ(Reload(copy), before);
}

TEST_F(EditSave, AddDeleteRenameAndReplaceSurviveAReload)
{
    archive.GetEntry(1)->SetName("renamed.bin");  // renaming computes no checksum
    WriteFile(dir.File("replacement"), "replaced content");
    ASSERT_EQ(archive.GetEntry(1)->LoadData(dir.File("replacement").c_str()), DMResult::Success);
    archive.GetEntry(3)->SetCheckSum(0xCAFEF00D);
    EXPECT_EQ(archive.AddEntry(), 4u);
    EXPECT_EQ(archive.AddEntry(), 5u);
    archive.GetEntry(4)->SetName("new one");
    archive.GetEntry(4)->SetData("fresh", 5);
    archive.GetEntry(5)->SetName("new and empty");
    archive.DelEntry(0);  // readme.txt, slot 0
    EXPECT_TRUE(archive.GetEntry(0)->Deleted());
    EXPECT_EQ(archive.GetNumEntries(), 6u) << "positions stay while editing";
    for (unsigned ignored : {0u, 6u, 99u})  // again, the name list's position, past the end
        archive.DelEntry(ignored);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);

    // Added entries took the slots after the name list's (5, 6); deleting slot
    // 0 moved every later slot up one.
    const std::vector<EntryState> expected = {
        {"renamed.bin", ToBytes("replaced content"), 0x22222222, 0, DMResult::Success},
        {"empty", {}, 0x33333333, 2, DMResult::Success},
        {"last.txt", ToBytes("the end"), 0xCAFEF00D, 1, DMResult::Success},
        {"new one", ToBytes("fresh"), 0, 4, DMResult::Success},
        {"new and empty", {}, 0, 5, DMResult::Success}};
    EXPECT_EQ(Reload(path), expected);
    EXPECT_EQ(Snapshot(archive, true), expected) << "the container now views the new data area";
    EXPECT_EQ(archive.GetEntry(5)->GetPackedLength(), 0u) << "no data, no packed bytes";
    // The name list, last in the data area, has slot 3.
    const Bytes written = ReadFile(path);
    const std::uint32_t d = WordAt(written, 0);
    ASSERT_EQ(WordAt(written, d), 6u);
    const Bytes list = NameList({"renamed.bin", "empty", "last.txt", "new one", "new and empty"});
    EXPECT_EQ(WordAt(written, d + 4 + 3 * 12 + 4), d - PackBlocks(list).size());
    EXPECT_EQ(WordAt(written, d + 4 + 3 * 12 + 8), list.size());
}

TEST_F(EditSave, ADeletedEntryHasNoDataAfterASave)
{
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
    EXPECT_TRUE(Reload(path).empty());
}

TEST_F(EditSave, ABrokenDirectoryIsRefusedAndNothingWritten)
{
    const std::string target = dir.File("never.dat");
    for (unsigned index : {17u, 1u}) {  // past the last slot; a slot another entry holds
        archive.GetEntry(0)->SetIndex(index);
        EXPECT_EQ(archive.Save(target.c_str()), DMResult::NoDirectory) << index;
        EXPECT_FALSE(FileExists(target));
    }
    archive.GetEntry(0)->SetIndex(0);
    EXPECT_EQ(archive.Save(target.c_str()), DMResult::Success);
}

TEST_F(EditSave, SignatureIsCopiedOrDropped)
{
    archive.SetSignature("123456789", 9);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    const Bytes written = ReadFile(path);
    EXPECT_EQ(Bytes(written.end() - 9, written.end()), ToBytes("123456789"));
    for (const char* data : {static_cast<const char*>(nullptr), "abc"}) {
        archive.SetSignature(data, data ? 0 : 9);
        unsigned length = 1;
        EXPECT_EQ(archive.GetSignature(length), nullptr);
        EXPECT_EQ(length, 0u);
    }
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    EXPECT_EQ(ReadFile(path).size(), written.size() - 9);
}

}  // namespace
