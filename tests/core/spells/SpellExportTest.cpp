// The exported text and the safe writing of export files.

#include "spells/SpellExport.h"

#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace tomelens::core;

namespace {

std::vector<SpellRecord> Book()
{
    return {FireStorm().SetCastOnYouMessage("You burn."), SpellRecord::MakeEmpty(),
            SpellRecord::MakeEmpty().SetName("Quiet").SetMana(7).SetSkill(200).SetCastTime(60000)};
}

std::string One(int record)
{
    std::ostringstream out;
    WriteSpellExport(out, Book(), record);
    return out.str();
}

std::string All(const std::vector<int>& order)
{
    std::ostringstream out;
    WriteAllSpellsExport(out, Book(), order);
    return out.str();
}

const std::vector<int> kFirst = {0};

} // namespace

TEST(SpellExportText, TheNameLineThenTheDescriptionWithItsPrefix)
{
    // The prefix starts the labelled and effect lines; class and component
    // lines keep their single tab.
    EXPECT_EQ(One(0),
              "Spell: Fire Storm\n"
              "\tMana:\t125\n"
              "\tSkill:\tBash\n"
              "\n"
              "\tMessages:\n"
              "\t\tYou start casting:\tYour hands glow.\n"
              "\t\tSomebody start casting:\tSomebody's hands glow.\n"
              "\t\tSpell cast on you:\tYou burn.\n"
              "\t\tSpell cast on somebody:\tX is burned.\n"
              "\t\tSpell fades:\t\tThe fire fades.\n"
              "\n"
              "\tCast Time:\t2.5 sec.\n"
              "\tRecover Time:\t1 min. 1.5 sec.\n"
              "\n"
              "\tEffects: \n"
              "\t\tHealing/Damage: (negative) 25\n"
              "\t\tUnknown: 0 to 7\n"
              "\t\tUnknown: 5\n"
              "\t\t*** All ***: (negative) 32768 to -25536\n"
              "\n"
              "\tClasses: \n"
              "\tWarrior: 1\n"
              "\tDruid: 20\n"
              "\tRogue: 21\n"
              "\tEnchanter: 60\n"
              "\n"
              "\tComponents: \n"
              "\ttiny dagger - 1 (consumed)\n"
              "\t#100 - 3 (consumed)\n"
              "\t#13080 - 1 (not consumed)\n"
              "\t#500 - 6 (not consumed)\n");
    EXPECT_EQ(One(3) + One(-1), "");
}


TEST(SpellExportText, EmptySectionsSayNoneOnTheirOpeningLine)
{
    EXPECT_EQ(One(2),
              "Spell: Quiet\n"
              "\tMana:\t7\n"
              "\tSkill:\tUnknown\n"
              "\n"
              "\tMessages:\n"
              "\n"
              "\tCast Time:\t1 min. 0 sec.\n"
              "\tRecover Time:\t0 sec.\n"
              "\n"
              "\tEffects: None\n"
              "\n"
              "\tClasses: None\n"
              "\n"
              "\tComponents: None\n");
}

TEST(SpellExportText, AllSpellsFollowTheGivenOrderEachWithAnEmptyLineAfter)
{
    EXPECT_EQ(All({2, -1, 0, 3}), One(2) + "\n" + One(0) + "\n");
}

// What a saved export holds: the text with the platform's line ends.
std::string OnDisk(std::string text)
{
#ifdef _WIN32
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, 1, '\r');
#endif
    return text;
}

// Only the text and the failure's kind are the export's own; how the file is
// replaced is the file writer's, tested with it.
TEST(SpellExportFile, WritesTheTextAndTellsWhichStepFailed)
{
    TempDir folder;
    const std::vector<int> order = {2, 0};
    ASSERT_EQ(SaveSpellExportFile(folder.File("spells.txt"), Book(), order, true), SpellExportStatus::Ok);
    EXPECT_EQ(testsupport::ToString(testsupport::ReadFile(folder.File("spells.txt"))), OnDisk(All(order)));
    EXPECT_EQ(SaveSpellExportFile(folder.File("nowhere/spell.txt"), Book(), kFirst, false),
              SpellExportStatus::CannotCreate);
}

