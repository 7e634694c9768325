// The 560-byte spell record (field offsets, text bounds) and reading
// spdat.eff: the three failures with their texts, the empty file, and
// records read back as written.

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

TEST(SpellFile, FailuresSayWhyAndLeaveTheRecordsAlone)
{
    TempDir folder;
    const std::string path = SpellFilePathIn(folder.Path());
    const std::string openTip = "Use \"File\" -> \"Select Directory ...\" command to find spdat.eff file";
    const std::string report = std::string("Please report this error to ") + kMakerContact;
    // Sizes below 0 stand for no file (-1), a folder in its place (-2) and a FIFO that must not hang (-3).
    for (const long size : {-1L, -2L, -3L, 1L, 1119L}) {
        const bool opens = size >= 0;
        std::filesystem::remove_all(path);
        if (size == -2)
            std::filesystem::create_directory(path);
        else if (size == -3)
#ifdef _WIN32
            continue;  // Windows has no FIFOs
#else
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
#endif
        else if (opens)
            testsupport::WriteFile(path, std::string(std::size_t(size), 'a'));
        std::vector<SpellRecord> records = kUntouched;
        const SpellFileResult result = ReadSpellFile(path, records);
        EXPECT_EQ(result.status, opens ? SpellFileStatus::InvalidLength : SpellFileStatus::CannotOpen) << size;
        EXPECT_EQ(result.message, opens ? "Invalid spdat.eff file. " + report + "." : "Can't open spdat.eff file") << size;
        EXPECT_EQ(result.tip, opens ? report : openTip) << size;
        ASSERT_EQ(records.size(), 1u) << size;
        EXPECT_EQ(records[0].Name(), "Left alone") << size;
    }
}

TEST(SpellFile, RecordsComeBackInFileOrderAShortReadKeepsThemAndAnEmptyFileHoldsNone)
{
    TempDir folder;
    const std::string path = SpellFilePathIn(folder.Path());
    EXPECT_EQ(path, folder.Path() + std::string(1, std::filesystem::path::preferred_separator) + "spdat.eff");
    const std::vector<SpellRecord> written = {FireStorm(), SpellRecord::MakeEmpty().SetMana(77),
                                              SpellRecord::MakeEmpty().SetName("Third")};
    ASSERT_TRUE(WriteSpellFile(path, written));
    EXPECT_EQ(std::filesystem::file_size(path), 3 * kSpellRecordSize);
    std::vector<SpellRecord> records;
    ASSERT_TRUE(ReadSpellFile(path, records).ok());
    ASSERT_EQ(records.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::memcmp(records[i].bytes, written[i].bytes, kSpellRecordSize), 0) << i;

    // Fewer bytes than the length promised is a short read that keeps the records.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    const SpellFileResult shortRead = ReadSpellRecords(file, 4 * kSpellRecordSize, records);
    std::fclose(file);
    EXPECT_EQ(shortRead.status, SpellFileStatus::ShortRead);
    EXPECT_EQ(shortRead.message + "|" + shortRead.tip, "Can't read spdat.eff file.|");
    EXPECT_EQ(records.size(), 3u);

    testsupport::WriteFile(path, "");
    const SpellFileResult empty = ReadSpellFile(path, records);
    EXPECT_TRUE(empty.ok());
    EXPECT_EQ(empty.message + empty.tip, "");
    EXPECT_TRUE(records.empty());

    EXPECT_FALSE(WriteSpellFile(folder.File("missing/spdat.eff"), kUntouched));
}

TEST(SpellRecordFields, SettersWriteTheLittleEndianFileLayoutAndNothingElse)
{
    SpellRecord set;
    set.SetCastTime(0x04030201).SetRecoverTime(0x08070605).SetMana(0x0A09).SetSkill(73);
    set.SetEffect(3, 0xEE, -2, 0xBBAA).SetComponent(1, 0x1234, 0x5678).SetKeptComponent(1, 0x9ABC);
    set.SetClassLevel(13, 14);
    const std::pair<std::size_t, std::vector<unsigned char>> fields[] = {
        {432, {1, 2, 3, 4}}, {440, {5, 6, 7, 8}}, {456, {0x09, 0x0A}}, {464, {0xFE, 0xFF}}, {472, {0xAA, 0xBB}},
        {480, {0x34, 0x12}}, {488, {0x78, 0x56}}, {496, {0xBC, 0x9A}}, {509, {0xEE}}, {512, {73}}, {530, {14}},
    };
    SpellRecord byHand;
    for (const auto& [offset, field] : fields)
        std::memcpy(byHand.bytes + offset, field.data(), field.size());
    EXPECT_EQ(std::memcmp(set.bytes, byHand.bytes, kSpellRecordSize), 0);
}

TEST(SpellRecordTexts, EachTextStopsAtItsNulOrFieldEndAndSettersKeepTheNul)
{
    SpellRecord r;
    std::memset(r.bytes, 'x', 416);  // no NUL anywhere in the texts
    EXPECT_EQ(r.Name(), std::string(96, 'x'));
    for (auto message : {&SpellRecord::CastingMessage, &SpellRecord::OthersCastingMessage,
                         &SpellRecord::CastOnYouMessage, &SpellRecord::CastOnOtherMessage, &SpellRecord::FadesMessage})
        EXPECT_EQ((r.*message)(), std::string(64, 'x'));

    r.SetName(std::string(200, 'n')).SetCastingMessage(std::string(100, 'c'));
    EXPECT_EQ(r.Name(), std::string(95, 'n'));
    EXPECT_EQ(r.CastingMessage(), std::string(63, 'c'));
    // The neighbour of the text that was set stays as it was.
    EXPECT_EQ(r.OthersCastingMessage(), std::string(64, 'x'));
    EXPECT_FALSE(SpellRecord().HasName());
}
