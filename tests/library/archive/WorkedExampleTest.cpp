// The smallest archive there is: one entry "a.txt" holding "abc", laid out
// byte by byte from the format's tables.
#include "ArchiveTestSupport.h"

#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace archivetest;

namespace {

Bytes WorkedExample()
{
    const Bytes abcStream = Deflate(ToBytes("abc"));
    const Bytes list = NameList({"a.txt"});
    const Bytes listStream = Deflate(list);
    EXPECT_EQ(abcStream.size(), 11u);
    EXPECT_EQ(list.size(), 14u);
    EXPECT_EQ(listStream.size(), 20u);

    Bytes file;
    PutWord(file, 59);          // D
    PutWord(file, 0x20534650);  // "PFS "
    PutWord(file, 0x00020000);
    PutWord(file, 11);  // block of a.txt: S, U
    PutWord(file, 3);
    file.insert(file.end(), abcStream.begin(), abcStream.end());
    PutWord(file, 20);  // block of the name list
    PutWord(file, 14);
    file.insert(file.end(), listStream.begin(), listStream.end());
    PutWord(file, 2);  // N
    for (std::uint32_t word : {0u, 31u, 14u, 0u, 12u, 3u})
        PutWord(file, word);
    EXPECT_EQ(file.size(), 87u);
    return file;
}

class WorkedExample : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("example.dat");
};

TEST_F(WorkedExample, StartsWithTheMagicAndVersionBytes)
{
    const Bytes file = ::WorkedExample();
    const Bytes expected = {0x50, 0x46, 0x53, 0x20, 0x00, 0x00, 0x02, 0x00, 0x78, 0xDA};
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 8, file.begin() + 4));
    EXPECT_EQ(file[20], 0x78);
    EXPECT_EQ(file[21], 0xDA);
}

TEST_F(WorkedExample, ReadsAsOneEntryHoldingAbc)
{
    WriteFile(path, ::WorkedExample());
    DMDataFile archive(nullptr);
    ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
    ASSERT_EQ(archive.GetNumEntries(), 1u);
    DMDataFileEntry* entry = archive.GetEntry(0);
    EXPECT_STREQ(entry->GetName(), "a.txt");
    EXPECT_EQ(entry->GetLength(), 3u);
    EXPECT_EQ(entry->GetIndex(), 1u);
    EXPECT_EQ(entry->GetOffset(), 0u);
    EXPECT_EQ(entry->GetPackedLength(), 19u);
    char data[3] = {};
    EXPECT_EQ(entry->GetData(data), DMResult::Success);
    EXPECT_EQ(std::memcmp(data, "abc", 3), 0);
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
    EXPECT_EQ(archive->GetNumEntries(), 0u);
    EXPECT_EQ(archive->GetEntry(0), nullptr);
    ASSERT_EQ(archive->AddEntry(), 0u);
    DMDataFileEntry* entry = archive->GetEntry(0);
    ASSERT_NE(entry, nullptr);
    entry->SetName("a.txt");
    entry->SetData("abc", 3);
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
        const int result = archive.Load(path.c_str());
        if (extra == 0 || extra == 9) {
            ASSERT_EQ(result, DMResult::Success) << extra;
            unsigned length = 0;
            const auto* signature = static_cast<const unsigned char*>(archive.GetSignature(length));
            ASSERT_EQ(length, extra);
            EXPECT_TRUE(extra == 0 || std::equal(file.end() - 9, file.end(), signature));
        } else {
            EXPECT_EQ(result, DMResult::NotArchive) << extra;
            EXPECT_EQ(archive.GetNumEntries(), 0u);
        }
    }
}

TEST_F(WorkedExample, RefusesAnyOtherVersion)
{
    for (std::uint32_t version : {0x00010000u, 0x00020001u, 0x00030000u, 0u, 0xFFFFFFFFu}) {
        Bytes file = ::WorkedExample();
        file[8] = static_cast<unsigned char>(version);
        file[9] = static_cast<unsigned char>(version >> 8);
        file[10] = static_cast<unsigned char>(version >> 16);
        file[11] = static_cast<unsigned char>(version >> 24);
        WriteFile(path, file);
        DMDataFile archive(nullptr);
        EXPECT_EQ(archive.CheckFile(path.c_str()), DMResult::NotArchive) << std::hex << version;
        EXPECT_EQ(archive.Load(path.c_str()), DMResult::NotArchive) << std::hex << version;
    }
}

}  // namespace
