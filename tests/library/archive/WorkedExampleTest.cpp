// The smallest archive there is: one entry "a.txt" holding "abc", laid out
// byte by byte from the format's tables.
#include "ArchiveSuite.h"

using namespace archivetest;

namespace {

Bytes WorkedExample()
{
    const Bytes abcStream = Deflate(ToBytes("abc"));
    const Bytes listStream = Deflate(NameList({"a.txt"}));
    EXPECT_EQ(abcStream.size(), 11u);
    EXPECT_EQ(listStream.size(), 20u);
    Bytes file;
    for (std::uint32_t word : {59u, 0x20534650u, 0x00020000u, 11u, 3u})  // D, "PFS ", version, S, U
        PutWord(file, word);
    file.insert(file.end(), abcStream.begin(), abcStream.end());
    PutWord(file, 20);  // the name list's block
    PutWord(file, 14);
    file.insert(file.end(), listStream.begin(), listStream.end());
    for (std::uint32_t word : {2u, 0u, 31u, 14u, 0u, 12u, 3u})  // N, then two records
        PutWord(file, word);
    EXPECT_EQ(file.size(), 87u);
    return file;
}

class WorkedExample : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("example.dat");
};

TEST_F(WorkedExample, ReadsAsOneEntryHoldingAbc)
{
    WriteFile(path, ::WorkedExample());
    DMDataFile archive(nullptr);
    ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
    ASSERT_EQ(archive.GetNumEntries(), 1u);
    EXPECT_EQ(Snapshot(archive), (std::vector<EntryState>{{"a.txt", ToBytes("abc"), 0, 1, DMResult::Success}}));
    EXPECT_EQ(archive.GetEntry(0)->GetOffset(), 0u);
    EXPECT_EQ(archive.GetEntry(0)->GetPackedLength(), 19u);
    EXPECT_EQ(archive.GetEntry(1), nullptr) << "the name list is never handed out";
    unsigned signatureLength = 1;
    EXPECT_EQ(archive.GetSignature(signatureLength), nullptr);
    EXPECT_EQ(signatureLength, 0u);
}

TEST_F(WorkedExample, IsWrittenByteForByteFromAnEmptyContainer)
{
    DMDataFile* archive = CreateDMDataFile(nullptr);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->AddEntry(), 0u);  // becomes the name list
    EXPECT_EQ(archive->GetEntry(0), nullptr);
    ASSERT_EQ(archive->AddEntry(), 0u);
    archive->GetEntry(0)->SetName("a.txt");
    archive->GetEntry(0)->SetData("abc", 3);
    ASSERT_EQ(archive->Save(path.c_str()), DMResult::Success);
    DestroyDMDataFile(archive);
    EXPECT_EQ(ReadFile(path), ::WorkedExample());
}

TEST_F(WorkedExample, AcceptsExactlyZeroOrNineSignatureBytes)
{
    for (std::size_t extra = 0; extra <= 10; ++extra) {
        Bytes file = ::WorkedExample();
        for (std::size_t i = 0; i < extra; ++i)
            file.push_back(static_cast<unsigned char>(0xA0 + i));
        WriteFile(path, file);
        DMDataFile archive(nullptr);
        const bool valid = extra == 0 || extra == 9;
        ASSERT_EQ(archive.Load(path.c_str()), valid ? DMResult::Success : DMResult::NotArchive) << extra;
        unsigned length = 99;
        const auto* signature = static_cast<const unsigned char*>(archive.GetSignature(length));
        EXPECT_EQ(length, valid ? extra : 0u);
        EXPECT_EQ(Bytes(signature, signature + length), Bytes(file.end() - length, file.end()));
    }
}

}  // namespace
