// The spell list query: level rules, the four tests, line texts, and the
// skills offered by the skill filter.

#include "spells/SpellQuery.h"

#include "spells/SpellTables.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr int kSkills = 74;
constexpr int kWizard = 11;

SpellRecord Spell(const std::string& name, int skill = 0)
{
    return SpellRecord::MakeEmpty().SetName(name).SetSkill(static_cast<std::uint8_t>(skill));
}

SpellFilter Filter(int classFilter, int from, int to)
{
    SpellFilter filter;
    filter.classFilter = classFilter;
    filter.levels = {from, to};
    filter.skillFilter = kSkills;
    filter.skillCount = kSkills;
    filter.effectFilter = EFFECT_ALL;
    return filter;
}

std::vector<std::string> Texts(std::vector<SpellLine> lines, bool sorted = true)
{
    if (sorted)
        SortSpellLines(lines);
    std::vector<std::string> texts;
    for (const SpellLine& line : lines)
        texts.push_back(line.text);
    return texts;
}

std::vector<int> RecordNumbers(const std::vector<SpellLine>& lines)
{
    std::vector<int> numbers;
    for (const SpellLine& line : lines)
        numbers.push_back(line.record);
    return numbers;
}

} // namespace

TEST(LevelRange, EmptyOrZeroBoundsTakeTheirDefaults)
{
    for (auto [from, to] : {std::pair<const char*, const char*>{"", ""}, {"0", "0"}, {"abc", "xyz"}, {"-0", "+0"}}) {
        const LevelRange range = ParseLevelRange(from, to);
        EXPECT_EQ(range.from, 1) << '"' << from << '"';
        EXPECT_EQ(range.to, 50) << '"' << to << '"';
    }
}

TEST(LevelRange, ReadsTheLeadingIntegerLikeAtoi)
{
    const LevelRange range = ParseLevelRange("  7th", "+12 levels");
    EXPECT_EQ(range.from, 7);
    EXPECT_EQ(range.to, 12);
    EXPECT_EQ(ParseLevelRange("1e3", "").from, 1);
    EXPECT_EQ(ParseLevelRange("", "x40").to, 50);
}

TEST(LevelRange, FromAboveToRaisesTo)
{
    const LevelRange range = ParseLevelRange("30", "20");
    EXPECT_EQ(range.from, 30);
    EXPECT_EQ(range.to, 30);
    // The default of To is applied before the comparison.
    const LevelRange high = ParseLevelRange("60", "");
    EXPECT_EQ(high.from, 60);
    EXPECT_EQ(high.to, 60);
}

TEST(LevelRange, NegativeFromStaysAndHugeNumbersSaturate)
{
    const LevelRange negative = ParseLevelRange("-5", "10");
    EXPECT_EQ(negative.from, -5);
    EXPECT_EQ(negative.to, 10);
    const LevelRange huge = ParseLevelRange("99999999999999999999", "-99999999999999999999");
    EXPECT_EQ(huge.from, INT_MAX);
    EXPECT_EQ(huge.to, INT_MAX);
}

TEST(SpellQueryClass, AllClassesPassWhenAnyLevelIsInRange)
{
    std::vector<SpellRecord> records = {Spell("Low"), Spell("High"), Spell("Nobody"), Spell("Edge")};
    records[0].SetClassLevel(3, 1);
    records[1].SetClassLevel(13, 55);
    records[3].SetClassLevel(0, 50).SetClassLevel(1, 51);
    EXPECT_EQ(Texts(QuerySpells(records, Filter(CLASS_ALL, 1, 50))), (std::vector<std::string>{"Edge", "Low"}));
    EXPECT_EQ(Texts(QuerySpells(records, Filter(CLASS_ALL, 51, 55))), (std::vector<std::string>{"Edge", "High"}));
    // With 61 inside the range the "not available" marker itself matches.
    EXPECT_EQ(Texts(QuerySpells(records, Filter(CLASS_ALL, 1, 61))),
              (std::vector<std::string>{"Edge", "High", "Low", "Nobody"}));
}

TEST(SpellQueryClass, NotAvailableListsSpellsNoClassCanUseWhateverTheLevels)
{
    std::vector<SpellRecord> records = {Spell("Nobody"), Spell("Somebody"), Spell("Also nobody")};
    records[1].SetClassLevel(7, 61).SetClassLevel(8, 12);
    for (LevelRange range : {LevelRange{1, 50}, LevelRange{70, 80}, LevelRange{-5, -1}}) {
        const std::vector<SpellLine> lines = QuerySpells(records, Filter(CLASS_NOT_AVAILABLE, range.from, range.to));
        EXPECT_EQ(Texts(lines), (std::vector<std::string>{"Also nobody", "Nobody"}));
        EXPECT_EQ(RecordNumbers(lines), (std::vector<int>{0, 2})) << "lines come in file order";
    }
}

TEST(SpellQueryClass, SingleClassLinesCarryTheRightAlignedLevel)
{
    std::vector<SpellRecord> records = {Spell("Zap"), Spell("Bolt"), Spell("Aura"), Spell("Storm"), Spell("Other")};
    records[0].SetClassLevel(kWizard, 12);
    records[1].SetClassLevel(kWizard, 5);
    records[2].SetClassLevel(kWizard, 12);
    records[3].SetClassLevel(kWizard, 50);
    records[4].SetClassLevel(kWizard - 1, 5);  // Necromancer only
    const std::vector<SpellLine> lines = QuerySpells(records, Filter(kWizard, 1, 50));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{" 5  Bolt", "12  Aura", "12  Zap", "50  Storm"}));
    std::vector<SpellLine> sorted = lines;
    SortSpellLines(sorted);
    EXPECT_EQ(RecordNumbers(sorted), (std::vector<int>{1, 2, 0, 3}));
}

TEST(SpellQueryClass, BoundsAreInclusiveAndFromAboveToKeepsOneLevel)
{
    std::vector<SpellRecord> records;
    for (int level : {19, 20, 25, 30, 31})
        records.push_back(Spell("L" + std::to_string(level)).SetClassLevel(kWizard, static_cast<std::uint8_t>(level)));
    EXPECT_EQ(Texts(QuerySpells(records, Filter(kWizard, 20, 30))),
              (std::vector<std::string>{"20  L20", "25  L25", "30  L30"}));
    const LevelRange range = ParseLevelRange("30", "20");
    EXPECT_EQ(Texts(QuerySpells(records, Filter(kWizard, range.from, range.to))),
              (std::vector<std::string>{"30  L30"}));
}

TEST(SpellQueryClass, NegativeFromLetsLevelZeroIn)
{
    std::vector<SpellRecord> records = {Spell("Zero").SetClassLevel(0, 0), Spell("One").SetClassLevel(0, 1)};
    EXPECT_EQ(Texts(QuerySpells(records, Filter(0, -3, 0))), (std::vector<std::string>{" 0  Zero"}));
    EXPECT_EQ(Texts(QuerySpells(records, Filter(0, 1, 50))), (std::vector<std::string>{" 1  One"}));
}

TEST(SpellQueryClass, UnknownClassFilterSelectsNothing)
{
    std::vector<SpellRecord> records = {Spell("Any").SetAllClassLevels(1)};
    for (int classFilter : {-1, 15, 255, 257})
        EXPECT_TRUE(QuerySpells(records, Filter(classFilter, 1, 50)).empty()) << classFilter;
}

TEST(SpellQueryRecords, BlankNamesNeverPass)
{
    std::vector<SpellRecord> records = {Spell("Named").SetAllClassLevels(1), SpellRecord::MakeEmpty()};
    records[1].SetAllClassLevels(1);
    const std::vector<SpellLine> lines = QuerySpells(records, Filter(CLASS_ALL, 1, 61));
    EXPECT_EQ(RecordNumbers(lines), (std::vector<int>{0}));
    EXPECT_TRUE(QuerySpells({}, Filter(CLASS_ALL, 1, 61)).empty());
}

TEST(SpellQuerySkill, SkillCountMeansEverySkillOtherwiseAnExactMatch)
{
    std::vector<SpellRecord> records = {Spell("Evoke", 24), Spell("Abjure", 4), Spell("Odd", 200)};
    for (SpellRecord& r : records)
        r.SetClassLevel(0, 1);
    SpellFilter filter = Filter(CLASS_ALL, 1, 50);
    EXPECT_EQ(QuerySpells(records, filter).size(), 3u);
    filter.skillFilter = 24;
    EXPECT_EQ(Texts(QuerySpells(records, filter)), (std::vector<std::string>{"Evoke"}));
    filter.skillFilter = 200;
    EXPECT_EQ(Texts(QuerySpells(records, filter)), (std::vector<std::string>{"Odd"}));
    // A failed skill table has a count of 0: only "every skill" then matches 0.
    filter.skillCount = 0;
    filter.skillFilter = 0;
    EXPECT_EQ(QuerySpells(records, filter).size(), 3u);
}

TEST(SpellQueryEffect, AnySlotMatchesAndAllMatchesEverything)
{
    std::vector<SpellRecord> records = {Spell("Heal"), Spell("Root"), Spell("Plain")};
    for (SpellRecord& r : records)
        r.SetClassLevel(2, 10);
    records[0].SetEffect(0, 0, 10);
    records[1].SetEffect(3, 99, 1).SetEffect(1, 0, -5);
    SpellFilter filter = Filter(CLASS_ALL, 1, 50);
    EXPECT_EQ(QuerySpells(records, filter).size(), 3u);
    filter.effectFilter = 0;
    EXPECT_EQ(Texts(QuerySpells(records, filter)), (std::vector<std::string>{"Heal", "Root"}));
    filter.effectFilter = 99;
    EXPECT_EQ(Texts(QuerySpells(records, filter)), (std::vector<std::string>{"Root"}));
    filter.effectFilter = EFFECT_NONE;
    EXPECT_EQ(Texts(QuerySpells(records, filter)), (std::vector<std::string>{"Heal", "Plain", "Root"}));
}

TEST(SpellSkillsInUse, OnlyNamedRecordsMarkTheirSkillOnceFromTheTopDown)
{
    std::vector<SpellRecord> records = {Spell("A", 24), Spell("B", 4), Spell("C", 24), Spell("D", 73),
                                        SpellRecord::MakeEmpty().SetSkill(10), Spell("E", 74), Spell("F", 255)};
    EXPECT_EQ(SkillsInUse(records, kSkills), (std::vector<int>{73, 24, 4}));
    EXPECT_EQ(SkillsInUse(records, 24), (std::vector<int>{4}));
    EXPECT_TRUE(SkillsInUse(records, 0).empty());
    EXPECT_TRUE(SkillsInUse({}, kSkills).empty());
}
