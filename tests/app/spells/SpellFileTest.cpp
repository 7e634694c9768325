// Reading spdat.eff: the three failures with their texts, and success.

#include "spells/SpellFile.h"

#include "SpellTestSupport.h"
#include "spells/Contact.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

SpellRecord Named(const std::string& name, std::uint16_t mana)
{
    return SpellRecord::MakeEmpty().SetName(name).SetMana(mana);
}

std::vector<SpellRecord> Sentinel()
{
    return {Named("Left alone", 1)};
}

void ExpectUntouched(const std::vector<SpellRecord>& records)
{
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Name(), "Left alone");
}

} // namespace

TEST(SpellFilePath, JoinsTheDirectoryAndTheFileName)
{
#if defined(_WIN32)
    EXPECT_EQ(SpellFilePathIn("C:\\Games\\DM"), "C:\\Games\\DM\\spdat.eff");
#else
    EXPECT_EQ(SpellFilePathIn("/games/dm"), "/games/dm/spdat.eff");
    EXPECT_EQ(SpellFilePathIn(""), "/spdat.eff");
#endif
}

TEST(SpellFileRead, MissingFileCannotBeOpened)
{
    TempFolder folder;
    std::vector<SpellRecord> records = Sentinel();
    const SpellFileResult result = ReadSpellFile(SpellFilePathIn(folder.path().string()), records);
    EXPECT_EQ(result.status, SpellFileStatus::CannotOpen);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, "Can't open spdat.eff file");
    EXPECT_EQ(result.tip, "Use \"File\" -> \"Select Directory ...\" command to find spdat.eff file");
    ExpectUntouched(records);
}

TEST(SpellFileRead, ADirectoryIsNoSpellFile)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.file("spdat.eff"));
    std::vector<SpellRecord> records = Sentinel();
    EXPECT_EQ(ReadSpellFile(folder.file("spdat.eff"), records).status, SpellFileStatus::CannotOpen);
    ExpectUntouched(records);
}

TEST(SpellFileRead, LengthNotAMultipleOfTheRecordIsInvalid)
{
    TempFolder folder;
    const std::string contact = kMakerContact;
    for (std::size_t size : {1u, 559u, 561u, 1119u}) {
        WriteWholeFile(folder.file("spdat.eff"), std::string(size, 'a'));
        std::vector<SpellRecord> records = Sentinel();
        const SpellFileResult result = ReadSpellFile(folder.file("spdat.eff"), records);
        EXPECT_EQ(result.status, SpellFileStatus::InvalidLength) << size;
        EXPECT_EQ(result.message, "Invalid spdat.eff file. Please report this error to " + contact + ".");
        EXPECT_EQ(result.tip, "Please report this error to " + contact);
        ExpectUntouched(records);
    }
}

TEST(SpellFileRead, FewerBytesThanTheLengthPromisedIsAShortRead)
{
    TempFolder folder;
    ASSERT_TRUE(WriteSpellFile(folder.file("spdat.eff"), {Named("Only one", 5)}));
    std::FILE* file = std::fopen(folder.file("spdat.eff").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<SpellRecord> records = Sentinel();
    // The file is one record long but its length was taken as two.
    const SpellFileResult result = ReadSpellRecords(file, 2 * kSpellRecordSize, records);
    std::fclose(file);
    EXPECT_EQ(result.status, SpellFileStatus::ShortRead);
    EXPECT_EQ(result.message, "Can't read spdat.eff file.");
    EXPECT_EQ(result.tip, "");
    ExpectUntouched(records);
}

TEST(SpellFileRead, AnEmptyFileIsValidAndHoldsNoRecords)
{
    TempFolder folder;
    WriteWholeFile(folder.file("spdat.eff"), "");
    std::vector<SpellRecord> records = Sentinel();
    const SpellFileResult result = ReadSpellFile(folder.file("spdat.eff"), records);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(result.tip, "");
    EXPECT_TRUE(records.empty());
}

TEST(SpellFileRead, RecordsComeBackInFileOrderByteForByte)
{
    TempFolder folder;
    SpellRecord blank = SpellRecord::MakeEmpty();
    blank.SetMana(77);
    const std::vector<SpellRecord> written = {Named("First", 10), blank, Named("Third", 30)};
    ASSERT_TRUE(WriteSpellFile(folder.file("spdat.eff"), written));
    EXPECT_EQ(std::filesystem::file_size(folder.file("spdat.eff")), 3 * kSpellRecordSize);

    std::vector<SpellRecord> records;
    ASSERT_TRUE(ReadSpellFile(folder.file("spdat.eff"), records).ok());
    ASSERT_EQ(records.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::memcmp(records[i].bytes, written[i].bytes, kSpellRecordSize), 0) << i;
    EXPECT_EQ(records[0].Name(), "First");
    EXPECT_FALSE(records[1].HasName());
    EXPECT_EQ(records[1].Mana(), 77);
    EXPECT_EQ(records[2].Mana(), 30);
}

TEST(SpellFileWrite, AFileThatCannotBeMadeIsReported)
{
    TempFolder folder;
    EXPECT_FALSE(WriteSpellFile(folder.file("missing/spdat.eff"), {Named("X", 1)}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing")));
}
