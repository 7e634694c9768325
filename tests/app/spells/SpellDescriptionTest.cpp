// The description of a spell, compared as whole texts.

#include "spells/SpellDescription.h"

#include <gtest/gtest.h>

#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Touches every rule at once: four messages, both duration forms, each kind
// of effect label and value, classes out of table order, both component kinds.
SpellRecord FireStorm()
{
    SpellRecord r = SpellRecord::MakeEmpty();
    r.SetName("Fire Storm").SetMana(125).SetSkill(10);
    r.SetCastingMessage("Your hands glow.").SetOthersCastingMessage("Somebody's hands glow.");
    r.SetCastOnOtherMessage("X is burned.").SetFadesMessage("The fire fades.");
    r.SetCastTime(2500).SetRecoverTime(61500);
    r.SetEffect(0, 0, -25).SetEffect(1, 254, 0, 7).SetEffect(2, 16, 5).SetEffect(3, 127, -32768, 40000);
    r.SetClassLevel(0, 1).SetClassLevel(6, 21).SetClassLevel(5, 20).SetClassLevel(13, 60);
    r.SetComponent(0, 13080, 1).SetComponent(2, 100, 3).SetComponentCount(1, 6);
    r.SetKeptComponent(0, 13080).SetKeptComponent(1, 500);
    return r;
}

std::string Describe(const SpellRecord& r, const std::string& prefix)
{
    std::ostringstream out;
    DescribeSpell(out, r, prefix);
    return out.str();
}

} // namespace

TEST(SpellDescription, FullRecordForTheWindow)
{
    EXPECT_EQ(Describe(FireStorm(), ""),
              "Mana:\t125\n"
              "Skill:\tBash\n"
              "\n"
              "Messages:\n"
              "\tYou start casting:\tYour hands glow.\n"
              "\tSomebody start casting:\tSomebody's hands glow.\n"
              "\tSpell cast on somebody:\tX is burned.\n"
              "\tSpell fades:\t\tThe fire fades.\n"
              "\n"
              "Cast Time:\t2.5 sec.\n"
              "Recover Time:\t1 min. 1.5 sec.\n"
              "\n"
              "Effects: \n"
              "\tHealing/Damage: (negative) 25\n"
              "\tUnknown: 0 to 7\n"
              "\tUnknown: 5\n"
              "\t*** All ***: (negative) 32768 to -25536\n"
              "\n"
              "Classes: \n"
              "\tWarrior: 1\n"
              "\tDruid: 20\n"
              "\tRogue: 21\n"
              "\tEnchanter: 60\n"
              "\n"
              "Components: \n"
              "\ttiny dagger - 1 (consumed)\n"
              "\t#100 - 3 (consumed)\n"
              "\t#13080 - 1 (not consumed)\n"
              "\t#500 - 6 (not consumed)\n");
}

TEST(SpellDescription, PrefixStartsOnlyTheLabelledAndEffectLines)
{
    SpellRecord r = FireStorm();
    r.SetCastOnYouMessage("You burn.");
    EXPECT_EQ(Describe(r, "\t"),
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
}

TEST(SpellDescription, EmptySectionsSayNoneOnTheirOpeningLine)
{
    SpellRecord r = SpellRecord::MakeEmpty();
    r.SetName("Quiet").SetSkill(200).SetCastTime(60000);
    EXPECT_EQ(Describe(r, ""),
              "Mana:\t0\n"
              "Skill:\tUnknown\n"
              "\n"
              "Messages:\n"
              "\n"
              "Cast Time:\t1 min. 0 sec.\n"
              "Recover Time:\t0 sec.\n"
              "\n"
              "Effects: None\n"
              "\n"
              "Classes: None\n"
              "\n"
              "Components: None\n");
}

TEST(SpellDescription, AZeroSlotWithAnEffectIdAndAKeptComponentAloneStillShow)
{
    SpellRecord r = SpellRecord::MakeEmpty();
    r.SetName("Sprint").SetMana(40000).SetSkill(73);
    r.SetEffect(2, 3, 0).SetKeptComponent(1, 77);
    r.SetClassLevel(11, 61).SetClassLevel(8, 0);
    r.SetFadesMessage("You slow down.");
    EXPECT_EQ(Describe(r, ""),
              "Mana:\t40000\n"
              "Skill:\tTaunt\n"
              "\n"
              "Messages:\n"
              "\tSpell fades:\t\tYou slow down.\n"
              "\n"
              "Cast Time:\t0 sec.\n"
              "Recover Time:\t0 sec.\n"
              "\n"
              "Effects: \n"
              "\tMove Speed: 0\n"
              "\n"
              "Classes: \n"
              "\tMonk: 0\n"
              "\n"
              "Components: \n"
              "\t#77 - 0 (not consumed)\n");
}

TEST(SpellDescription, NumbersIgnoreTheStreamsLocale)
{
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
        char do_decimal_point() const override { return '#'; }
    };
    std::ostringstream out;
    out.imbue(std::locale(std::locale::classic(), new Grouping));
    SpellRecord r = FireStorm();
    r.SetMana(12345).SetCastTime(1234567);
    DescribeSpell(out, r, "");
    const std::string text = out.str();
    EXPECT_NE(text.find("Mana:\t12345\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Cast Time:\t20 min. 34.567 sec.\n"), std::string::npos) << text;
}

TEST(SpellDescription, ByRecordNumberWritesNothingOutsideTheRecords)
{
    const std::vector<SpellRecord> records = {FireStorm(), SpellRecord::MakeEmpty().SetName("Quiet")};
    std::ostringstream byNumber;
    DescribeSpell(byNumber, records, 1, "\t");
    EXPECT_EQ(byNumber.str(), Describe(records[1], "\t"));
    for (int outside : {-1, 2, 1000}) {
        std::ostringstream out;
        DescribeSpell(out, records, outside, "");
        EXPECT_EQ(out.str(), "") << outside;
    }
}

TEST(SpellDuration, MinutesAndSecondsAsTheTextStreamWritesThem)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "0 sec."},
        {1, "0.001 sec."},
        {2500, "2.5 sec."},
        {59999, "59.999 sec."},
        {60000, "1 min. 0 sec."},
        {61500, "1 min. 1.5 sec."},
        {90000, "1 min. 30 sec."},
        {3600000, "60 min. 0 sec."},
        {4294967295u, "71582 min. 47.295 sec."},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(FormatSpellDuration(ms), text) << ms;
}
