// Runs tomelens-cli spells on spell files made here, and holds its output
// against what the Spells tab's own core produces for the same filters.
#include "CliTest.h"

#include "spells/SpellDescription.h"
#include "spells/SpellExport.h"
#include "spells/SpellFile.h"
#include "spells/SpellRecord.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

using namespace tomelens::core;

using ::testing::HasSubstr;

namespace {

constexpr int kWizard = 11, kEnchanter = 13;
constexpr int kEvocation = 24, kConjuration = 14;
constexpr int kStun = 21;

std::vector<SpellRecord> MakeSpells()
{
    std::vector<SpellRecord> spells(6, SpellRecord::MakeEmpty());
    spells[0].SetName("Fireball").SetMana(40).SetSkill(kEvocation).SetClassLevel(kWizard, 12).SetCastTime(3000);
    spells[1].SetName("Bolt").SetMana(10).SetSkill(kEvocation).SetClassLevel(kWizard, 5).SetEffect(0, kStun, 3);
    spells[2].SetName("Apple").SetSkill(kConjuration).SetClassLevel(kWizard, 12);
    spells[3].SetName("Hidden").SetSkill(kConjuration);
    spells[4].SetName("Zap").SetSkill(kEvocation).SetClassLevel(kWizard, 51);
    spells[5].SetName("Fireball").SetMana(99).SetSkill(kEvocation).SetClassLevel(kEnchanter, 30);
    return spells;
}

class SpellCommandsTest : public ::testing::Test {
protected:
    Folder game;
    std::vector<SpellRecord> spells = MakeSpells();

    void SetUp() override { ASSERT_TRUE(WriteSpellFile(SpellFilePathIn(game.Path()), spells)); }

    CliRun Spells(std::vector<std::string> args)
    {
        args.insert(args.begin() + 1, {"--game-dir", game.Path()});
        args.insert(args.begin(), "spells");
        return RunCli(args);
    }

    // What "Save All" writes for these records, in this order, by the core.
    std::string CoreExport(const std::vector<int>& numbers) const
    {
        std::ostringstream out;
        WriteAllSpellsExport(out, spells, numbers);
        return out.str();
    }
};

TEST_F(SpellCommandsTest, ListTakesTheFiltersByNameAndOrdersByLevelThenName)
{
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> lines;
        int exitCode = 0;
    } cases[] = {
        {{"list"}, {"Apple", "Bolt", "Fireball", "Fireball"}},  // every named spell of levels 1 to 50, by name
        {{"list", "--class", "wizard", "--from", "6", "--to", "60"}, {"12  Apple", "12  Fireball", "51  Zap"}},
        {{"list", "--class", "*** Not available ***"}, {"Hidden"}},
        {{"list", "--class", "Wizard", "--skill", "Evocation"}, {" 5  Bolt", "12  Fireball"}},  // --effect: see export
        // Unknown names are usage errors that quote the name.
        {{"list", "--class", "Paladinn"}, {}, 2},
        {{"list", "--skill", "Evocationx"}, {}, 2},
        {{"list", "--effect", "Stunned"}, {}, 2},
    };
    for (const auto& c : cases) {
        const CliRun run = Spells(c.args);
        const std::string shown = testing::PrintToString(c.args);
        EXPECT_EQ(std::tuple(run.exitCode, Lines(run.out)), std::tuple(c.exitCode, c.lines)) << shown;
        if (c.exitCode != 0) {
            EXPECT_THAT(run.err, HasSubstr('"' + c.args.back() + '"')) << shown;
        }
    }
}

// Replacing the file safely, and keeping its permissions, belong to the core's writer.
TEST_F(SpellCommandsTest, ExportIsWhatTheCoreWritesForTheListedSpellsToStdoutOrAFile)
{
    const CliRun run = Spells({"export", "--class", "Wizard", "--to", "60", "--effect", "Stun"});
    EXPECT_EQ(std::tuple(run.exitCode, run.out), std::tuple(0, CoreExport({1}))) << run.err;

    Folder outFolder;
    const auto exportPath = outFolder / "spells.txt", listPath = outFolder / "list.txt";
    const CliRun toFile = Spells({"export", "-o", exportPath.string()});
    EXPECT_EQ(std::tuple(toFile.exitCode, toFile.out), std::tuple(0, "")) << toFile.err;
    EXPECT_EQ(ReadText(exportPath), CoreExport({2, 1, 0, 5}));  // by name, as the list shows them
    EXPECT_EQ(Spells({"list", "--class", "Enchanter", "--output", listPath.string()}).exitCode, 0);
    EXPECT_EQ(ReadText(listPath), "30  Fireball\n");
}

TEST_F(SpellCommandsTest, DescribePrintsTheTabsDescriptionOfTheFirstSpellOfTheName)
{
    for (const int record : {1, 0}) {
        std::ostringstream expected;
        DescribeSpell(expected, spells[record], "");
        const std::string warning = record == 1 ? "" : "tomelens-cli: " + game.Path()
                                                          + ": 2 spells are named \"Fireball\"; describing record 0\n";
        const CliRun run = Spells({"describe", spells[record].Name()});
        EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err), std::tuple(0, expected.str(), warning));
    }
}

TEST_F(SpellCommandsTest, EachFailureSaysWhatFailedAndPrintsNothing)
{
    const std::string spellFile = SpellFilePathIn(game.Path());
    const auto fails = [&](std::vector<std::string> args, const std::string& error) {
        const CliRun run = Spells(args);
        EXPECT_EQ(std::tuple(run.exitCode, run.out), std::tuple(1, "")) << args[0];
        EXPECT_THAT(run.err, HasSubstr(error)) << args[0];
    };
    fails({"describe", "Nothing"}, "no spell named \"Nothing\"");
    fails({"export", "-o", (game / "missing" / "x.txt").string()}, "x.txt: cannot be created");
    // A missing or damaged spell file is reported with the file's name.
    std::filesystem::remove(spellFile);
    fails({"list"}, "tomelens-cli: " + spellFile + ": Can't open spdat.eff file\n");
    WriteText(spellFile, std::string(561, '\0'));
    fails({"export"}, "tomelens-cli: " + spellFile + ": Invalid spdat.eff file.");
}

}  // namespace
