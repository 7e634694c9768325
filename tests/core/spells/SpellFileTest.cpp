// Reading spdat.eff: the three failures with their texts, the empty file,
// and records read back as written.

#include "spells/SpellFile.h"

#include "SpellTestSupport.h"
#include "ProgramFacts.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace tomelens::core;

namespace {
const std::vector<SpellRecord> kUntouched = {SpellRecord::MakeEmpty().SetName("Left alone")};
} // namespace

TEST(SpellFile, PathJoinsTheDirectoryAndTheFileName)
{
    EXPECT_EQ(SpellFilePathIn("/games/dm"), "/games/dm/spdat.eff");
    EXPECT_EQ(SpellFilePathIn(""), "/spdat.eff");
}

TEST(SpellFile, FailuresSayWhyAndLeaveTheRecordsAlone)
{
    ScratchFolder folder;
    const std::string path = SpellFilePathIn(folder.Path());
    const std::string contact = kMakerContact;
    const std::string openTip = "Use \"File\" -> \"Select Directory ...\" command to find spdat.eff file";
    const std::string invalid = "Invalid spdat.eff file. Please report this error to " + contact + ".";
    const std::string invalidTip = "Please report this error to " + contact;
    struct Case {
        const char* what;
        long size;  // -1: no file, -2: a folder in its place, -3: a FIFO (must not hang)
        SpellFileStatus status;
        std::string message, tip;
    };
    const Case cases[] = {
        {"missing", -1, SpellFileStatus::CannotOpen, "Can't open spdat.eff file", openTip},
        {"a folder", -2, SpellFileStatus::CannotOpen, "Can't open spdat.eff file", openTip},
        {"a FIFO", -3, SpellFileStatus::CannotOpen, "Can't open spdat.eff file", openTip},
        {"1 byte", 1, SpellFileStatus::InvalidLength, invalid, invalidTip},
        {"559 bytes", 559, SpellFileStatus::InvalidLength, invalid, invalidTip},
        {"561 bytes", 561, SpellFileStatus::InvalidLength, invalid, invalidTip},
        {"1119 bytes", 1119, SpellFileStatus::InvalidLength, invalid, invalidTip},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(path);
        if (c.size == -2)
            std::filesystem::create_directory(path);
        else if (c.size == -3)
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        else if (c.size >= 0)
            testsupport::WriteFile(path, std::string(std::size_t(c.size), 'a'));
        std::vector<SpellRecord> records = kUntouched;
        const SpellFileResult result = ReadSpellFile(path, records);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_FALSE(result.ok()) << c.what;
        EXPECT_EQ(result.message, c.message) << c.what;
        EXPECT_EQ(result.tip, c.tip) << c.what;
        ASSERT_EQ(records.size(), 1u) << c.what;
        EXPECT_EQ(records[0].Name(), "Left alone") << c.what;
    }
}

TEST(SpellFile, FewerBytesThanTheLengthPromisedIsAShortRead)
{
    ScratchFolder folder;
    ASSERT_TRUE(WriteSpellFile(folder.File("spdat.eff"), kUntouched));
    std::FILE* file = std::fopen(folder.File("spdat.eff").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<SpellRecord> records = kUntouched;
    records[0].SetName("Kept");
    const SpellFileResult result = ReadSpellRecords(file, 2 * kSpellRecordSize, records);
    std::fclose(file);
    EXPECT_EQ(result.status, SpellFileStatus::ShortRead);
    EXPECT_EQ(result.message, "Can't read spdat.eff file.");
    EXPECT_EQ(result.tip, "");
    EXPECT_EQ(records[0].Name(), "Kept");
}

TEST(SpellFile, RecordsComeBackInFileOrderByteForByteAndAnEmptyFileHoldsNone)
{
    ScratchFolder folder;
    const std::string path = folder.File("spdat.eff");
    const std::vector<SpellRecord> written = {FireStorm(), SpellRecord::MakeEmpty().SetMana(77),
                                              SpellRecord::MakeEmpty().SetName("Third")};
    ASSERT_TRUE(WriteSpellFile(path, written));
    EXPECT_EQ(std::filesystem::file_size(path), 3 * kSpellRecordSize);
    std::vector<SpellRecord> records;
    ASSERT_TRUE(ReadSpellFile(path, records).ok());
    ASSERT_EQ(records.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::memcmp(records[i].bytes, written[i].bytes, kSpellRecordSize), 0) << i;

    testsupport::WriteFile(path, "");
    const SpellFileResult empty = ReadSpellFile(path, records);
    EXPECT_TRUE(empty.ok());
    EXPECT_EQ(empty.message + empty.tip, "");
    EXPECT_TRUE(records.empty());
}

TEST(SpellFile, AFileThatCannotBeMadeIsReported)
{
    ScratchFolder folder;
    EXPECT_FALSE(WriteSpellFile(folder.File("missing/spdat.eff"), kUntouched));
    EXPECT_TRUE(folder.List().empty());
}
