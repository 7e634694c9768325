// Editing a container and writing it back: what survives, what moves, and what
// is refused.
#include "ArchiveSuite.h"

using namespace archivetest;

namespace {

class EditSave : public ::testing::Test {
protected:
    // Four entries, directory in data order (name list at index 4) but for the
    // empty one, which shares its offset with last.txt and so needs the higher index.
    void SetUp() override
    {
        RawArchive raw = MakeArchive({{"readme.txt", ToBytes("read me first"), 0x11111111},
                                      {"big.bin", PatternBytes(30000, 1, 16), 0x22222222},
                                      {"empty", {}, 0x33333333},
                                      {"last.txt", ToBytes("the end"), 0x44444444}});
        std::swap(raw.records[2], raw.records[3]);
        raw.signature = ToBytes("SIGNATURE");
        original = raw.Serialize();
        WriteFile(path, original);
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
        ASSERT_STREQ(archive.GetEntry(2)->GetName(), "empty");
    }

    TempDir dir;
    std::string path = dir.File("game.dat");
    Bytes original;
    DMDataFile archive{nullptr};
};

TEST_F(EditSave, AnUnchangedSaveKeepsPackedBytesSlotsAndSignature)
{
    const std::string copy = dir.File("copy.dat");
    ASSERT_EQ(archive.Save(copy.c_str()), DMResult::Success);
    // With the same zlib even the name list comes out the same.
    EXPECT_EQ(ReadFile(copy), original);
}

TEST_F(EditSave, AddDeleteRenameAndReplaceSurviveAReload)
{
    archive.GetEntry(1)->SetName("renamed.bin");
    archive.GetEntry(1)->SetData("replaced content", 16);
    archive.GetEntry(3)->SetCheckSum(0xCAFEF00D);
    EXPECT_EQ(archive.AddEntry(), 4u);
    EXPECT_EQ(archive.AddEntry(), 5u);
    archive.GetEntry(4)->SetName("new one");
    archive.GetEntry(4)->SetData("fresh", 5);
    archive.GetEntry(5)->SetName("new and empty");
    archive.GetEntry(0)->SetData("unpacked", 8);  // held both packed and unpacked, then deleted
    for (unsigned position : {0u, 0u, 6u, 99u})  // readme.txt; again, the name list's position, past the end
        archive.DelEntry(position);
    EXPECT_TRUE(archive.GetEntry(0)->Deleted());
    EXPECT_EQ(archive.GetNumEntries(), 6u) << "positions stay while editing";
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);

    // Added entries took the slots after the name list's (5, 6); deleting slot
    // 0 moved every later slot up one, the name list's to 3.
    const std::vector<EntryState> expected = {
        {"renamed.bin", ToBytes("replaced content"), 0x22222222, 0, DMResult::Success},
        {"empty", {}, 0x33333333, 2, DMResult::Success},
        {"last.txt", ToBytes("the end"), 0xCAFEF00D, 1, DMResult::Success},
        {"new one", ToBytes("fresh"), 0, 4, DMResult::Success},
        {"new and empty", {}, 0, 5, DMResult::Success}};
    EXPECT_EQ(Reload(path), expected);
    EXPECT_EQ(Snapshot(archive, true), expected) << "the container now views the new data area";
    EXPECT_EQ(archive.GetEntry(5)->GetPackedLength(), 0u) << "no data, no packed bytes";
    EXPECT_EQ(archive.GetEntry(0)->GetPackedLength(), 0u) << "a deleted entry keeps no data";
    EXPECT_EQ(archive.GetEntry(0)->SaveData(dir.File("deleted").c_str()), DMResult::CorruptData);
}

// The smallest archive there is, one entry "a.txt" holding "abc", laid out
// byte by byte from the format's tables.
Bytes WorkedExample()
{
    Bytes file;
    for (std::uint32_t word : {59u, kArchiveMagic, kArchiveVersion})  // D, then the header
        PutWord(file, word);
    // The offsets in the directory (31, 12) and D pin each block's size.
    for (const Bytes& block : {Block(Deflate(ToBytes("abc")), 3), Block(Deflate(NameList({"a.txt"})), 14)})
        file.insert(file.end(), block.begin(), block.end());
    for (std::uint32_t word : {2u, 0u, 31u, 14u, 0u, 12u, 3u})  // N, then two records
        PutWord(file, word);
    return file;
}

TEST_F(EditSave, ANewArchiveIsMadeFromAnEmptyContainer)
{
    DMDataFile* made = CreateDMDataFile(nullptr);
    ASSERT_NE(made, nullptr);
    ASSERT_EQ(made->Save(path.c_str()), DMResult::Success) << "the name list is made first";
    EXPECT_TRUE(Reload(path).empty());
    EXPECT_EQ(made->GetEntry(0), nullptr) << "the name list is never handed out";
    ASSERT_EQ(made->AddEntry(), 0u);
    made->GetEntry(0)->SetName("a.txt");
    made->GetEntry(0)->SetData("abc", 3);
    ASSERT_EQ(made->Save(path.c_str()), DMResult::Success);
    DestroyDMDataFile(made);
    EXPECT_EQ(ReadFile(path), WorkedExample());
}

TEST_F(EditSave, ABrokenDirectoryIsRefusedAndNothingWritten)
{
    const std::string target = dir.File("never.dat");
    for (unsigned index : {17u, 1u}) {  // past the last slot; a slot another entry holds
        archive.GetEntry(0)->SetIndex(index);
        EXPECT_EQ(archive.Save(target.c_str()), DMResult::NoDirectory) << index;
        EXPECT_FALSE(FileExists(target));
    }
}

TEST_F(EditSave, SignatureIsWrittenAsHeldOrDropped)
{
    archive.SetSignature("123456789", 9);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    const Bytes written = ReadFile(path);
    EXPECT_EQ(Bytes(written.end() - 9, written.end()), ToBytes("123456789"));
    for (const char* data : {static_cast<const char*>(nullptr), "abc"}) {
        archive.SetSignature(data, data ? 0 : 9);
        unsigned length = 1;
        EXPECT_TRUE(archive.GetSignature(length) == nullptr && length == 0) << (data ? data : "null");
    }
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    EXPECT_EQ(ReadFile(path).size(), written.size() - 9);
}

}  // namespace
