// The exported text and the safe writing of export files.

#include "spells/SpellExport.h"

#include "SpellTestSupport.h"
#include "spells/SpellDescription.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<SpellRecord> Book()
{
    std::vector<SpellRecord> records(3, SpellRecord::MakeEmpty());
    records[0].SetName("Minor Healing").SetMana(10).SetSkill(4).SetEffect(0, 0, 10, 20).SetClassLevel(1, 1);
    records[2].SetName("Burst of Flame").SetMana(7).SetSkill(24).SetEffect(0, 0, -11).SetClassLevel(11, 1);
    return records;
}

std::string Described(const SpellRecord& r)
{
    std::ostringstream out;
    DescribeSpell(out, r, "\t");
    return out.str();
}

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(SpellExportText, OneSpellIsItsNameLineAndTheTabbedDescription)
{
    const std::vector<SpellRecord> records = Book();
    std::ostringstream out;
    WriteSpellExport(out, records, 2);
    const std::string text = out.str();
    EXPECT_EQ(text, "Spell: Burst of Flame\n" + Described(records[2]));
    EXPECT_EQ(text.substr(0, 62),
              "Spell: Burst of Flame\n"
              "\tMana:\t7\n"
              "\tSkill:\tEvocation\n"
              "\n"
              "\tMessages:\n"
              "\n");
    EXPECT_NE(text.find("\tEffects: \n\t\tHealing/Damage: (negative) 11\n"), std::string::npos);
    EXPECT_NE(text.find("\tClasses: \n\tWizard: 1\n"), std::string::npos);
}

TEST(SpellExportText, AllSpellsFollowTheListOrderEachWithAnEmptyLineAfter)
{
    const std::vector<SpellRecord> records = Book();
    const std::vector<int> listOrder = {2, 0};
    std::ostringstream out;
    WriteAllSpellsExport(out, records, listOrder);
    EXPECT_EQ(out.str(), "Spell: Burst of Flame\n" + Described(records[2]) + "\n" + "Spell: Minor Healing\n" +
                             Described(records[0]) + "\n");

    std::ostringstream none;
    WriteAllSpellsExport(none, records, {});
    EXPECT_EQ(none.str(), "");
    std::ostringstream outside;
    const std::vector<int> bad = {-1, 3};
    WriteAllSpellsExport(outside, records, bad);
    EXPECT_EQ(outside.str(), "");
}

TEST(SpellExportFile, WritesExactlyTheTextAndReplacesOldContent)
{
    TempFolder folder;
    const std::vector<SpellRecord> records = Book();
    const std::string path = folder.file("spells.txt");
    WriteWholeFile(path, std::string(10000, 'o'));
    const std::vector<int> listOrder = {0, 2};
    ASSERT_EQ(SaveSpellExportFile(path, records, listOrder, true), SpellExportStatus::Ok);
    std::ostringstream expected;
    WriteAllSpellsExport(expected, records, listOrder);
    EXPECT_EQ(ReadWholeFile(path), expected.str());

    const std::vector<int> one = {0};
    ASSERT_EQ(SaveSpellExportFile(path, records, one, false), SpellExportStatus::Ok);
    EXPECT_EQ(ReadWholeFile(path), "Spell: Minor Healing\n" + Described(records[0]));
    EXPECT_EQ(FilesIn(folder.path()), (std::vector<std::string>{"spells.txt"})) << "no temporary file left";
}

TEST(SpellExportFile, AnEmptyListGivesAnEmptyFile)
{
    TempFolder folder;
    const std::string path = folder.file("spells.txt");
    ASSERT_EQ(SaveSpellExportFile(path, Book(), {}, true), SpellExportStatus::Ok);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(SpellExportFile, AMissingFolderIsReportedAndNothingIsMade)
{
    TempFolder folder;
    const std::vector<int> one = {0};
    EXPECT_EQ(SaveSpellExportFile(folder.file("nowhere/spell.txt"), Book(), one, false),
              SpellExportStatus::CannotCreate);
    EXPECT_TRUE(FilesIn(folder.path()).empty());
}

TEST(SpellExportFile, ATargetThatCannotBeReplacedKeepsItsContent)
{
    TempFolder folder;
    // A non-empty folder in the file's place cannot be replaced by a file.
    fs::create_directories(folder.path() / "taken" / "inside");
    const std::vector<int> one = {0};
    EXPECT_EQ(SaveSpellExportFile(folder.file("taken"), Book(), one, false), SpellExportStatus::CannotReplace);
    EXPECT_TRUE(fs::is_directory(folder.path() / "taken" / "inside"));
    EXPECT_EQ(FilesIn(folder.path()), (std::vector<std::string>{"taken"})) << "no temporary file left";
}

TEST(SpellExportFile, AReplacedFileKeepsItsPermissions)
{
    TempFolder folder;
    const std::string path = folder.file("mine.txt");
    WriteWholeFile(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    const std::vector<int> one = {2};
    ASSERT_EQ(SaveSpellExportFile(path, Book(), one, false), SpellExportStatus::Ok);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadWholeFile(path).substr(0, 22), "Spell: Burst of Flame\n");
}

TEST(SpellExportFile, AStrangersTemporaryNameIsNotTakenOver)
{
    TempFolder folder;
    const std::string path = folder.file("s.txt");
    WriteWholeFile(folder.file("s.txt.tomelens-0.tmp"), "not ours");
    const std::vector<int> one = {0};
    ASSERT_EQ(SaveSpellExportFile(path, Book(), one, false), SpellExportStatus::Ok);
    EXPECT_EQ(ReadWholeFile(folder.file("s.txt.tomelens-0.tmp")), "not ours");
    EXPECT_EQ(ReadWholeFile(path).substr(0, 21), "Spell: Minor Healing\n");
}
