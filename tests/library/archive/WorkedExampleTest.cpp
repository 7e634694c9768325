// The smallest archive there is: one entry "a.txt" holding "abc", laid out
// byte by byte from the format's tables.
#include "ArchiveSuite.h"

using namespace archivetest;

namespace {

Bytes WorkedExample()
{
    Bytes file;
    for (std::uint32_t word : {59u, 0x20534650u, 0x00020000u, 11u, 3u})  // D, "PFS ", version, S, U
        PutWord(file, word);
    const Bytes abcStream = Deflate(ToBytes("abc"));
    file.insert(file.end(), abcStream.begin(), abcStream.end());
    PutWord(file, 20);  // the name list's block
    PutWord(file, 14);
    const Bytes listStream = Deflate(NameList({"a.txt"}));
    file.insert(file.end(), listStream.begin(), listStream.end());
    for (std::uint32_t word : {2u, 0u, 31u, 14u, 0u, 12u, 3u})  // N, then two records
        PutWord(file, word);
    return file;
}

TEST(WorkedExample, IsWrittenByteForByteFromAnEmptyContainer)
{
    TempDir dir;
    DMDataFile* archive = CreateDMDataFile(nullptr);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->AddEntry(), 0u);  // becomes the name list, never handed out
    EXPECT_EQ(archive->GetEntry(0), nullptr);
    ASSERT_EQ(archive->AddEntry(), 0u);
    archive->GetEntry(0)->SetName("a.txt");
    archive->GetEntry(0)->SetData("abc", 3);
    ASSERT_EQ(archive->Save(dir.File("example.dat").c_str()), DMResult::Success);
    DestroyDMDataFile(archive);
    EXPECT_EQ(ReadFile(dir.File("example.dat")), WorkedExample());
}

}  // namespace
