// The spell list query: level rules, the class, skill and effect tests,
// line texts and their one alphabetical order, and the skills in use.

#include "spells/SpellQuery.h"

#include "ListOrder.h"
#include "spells/SpellTables.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace tomelens::core;

namespace {

constexpr int kWizard = 11;

SpellRecord Spell(const std::string& name, int skill)
{
    return SpellRecord::MakeEmpty().SetName(name).SetSkill(static_cast<std::uint8_t>(skill));
}

// Levels sit on and around the bounds the cases below use.
std::vector<SpellRecord> Records()
{
    std::vector<SpellRecord> r = {Spell("Zap", 24), Spell("Bolt", 24), Spell("Aura", 4), Spell("Storm", 200),
                                  Spell("Nobody", 24), SpellRecord::MakeEmpty(), Spell("Zero", 4)};
    r[0].SetClassLevel(kWizard, 12);
    r[1].SetClassLevel(kWizard, 5).SetEffect(0, 0, 10);
    r[2].SetClassLevel(kWizard, 12).SetClassLevel(kWizard - 1, 5).SetEffect(3, 99, 1).SetEffect(1, 0, -5);
    r[3].SetClassLevel(kWizard, 50).SetClassLevel(13, 55);
    for (int slot = 0; slot < 4; ++slot)
        r[3].SetEffect(slot, 7, 1);
    r[5].SetAllClassLevels(1);  // no name: never listed
    r[6].SetClassLevel(0, 0);
    return r;
}

// The texts of the lines in list order, joined by '|'.
std::string Listed(const SpellFilter& filter)
{
    std::vector<SpellLine> lines = QuerySpells(Records(), filter);
    SortSpellLines(lines);
    std::string joined;
    for (const SpellLine& line : lines)
        joined += (joined.empty() ? "" : "|") + line.text;
    return joined;
}

} // namespace

TEST(LevelRange, AtoiBoundsWithDefaultsAndFromAboveToRaisingTo)
{
    const struct {
        const char *from, *to;
        int expectedFrom, expectedTo;
    } cases[] = {
        {"", "", 1, 50},        {"abc", "0", 1, 50}, {"  7th", "+12 levels", 7, 12}, {"30", "20", 30, 30},
        {"-5", "10", -5, 10},   {"99999999999999999999", "-99999999999999999999", INT_MAX, INT_MAX},
    };
    for (const auto& c : cases) {
        const LevelRange range = ParseLevelRange(c.from, c.to);
        EXPECT_EQ(range.from, c.expectedFrom) << '"' << c.from << "\" \"" << c.to << '"';
        EXPECT_EQ(range.to, c.expectedTo) << '"' << c.from << "\" \"" << c.to << '"';
    }
}

TEST(SpellQuery, ClassLevelSkillAndEffectTests)
{
    const struct Case {
        int classFilter, from, to;
        std::string expected;
        int skill = 74, skillCount = 74, effect = EFFECT_ALL;
    } cases[] = {
        {CLASS_ALL, 1, 50, "Aura|Bolt|Storm|Zap"},
        {CLASS_ALL, 51, 55, "Storm"},
        // 61 inside the range: the "not available" marker itself matches.
        {CLASS_ALL, 1, 61, "Aura|Bolt|Nobody|Storm|Zap|Zero"},
        {CLASS_ALL, -3, 0, "Zero"},
        {CLASS_NOT_AVAILABLE, 1, 50, "Nobody"},
        {CLASS_NOT_AVAILABLE, 70, 80, "Nobody"},
        {kWizard, 1, 50, " 5  Bolt|12  Aura|12  Zap|50  Storm"},
        {0, -3, 0, " 0  Zero"},
        {-1, 1, 61, ""},
        {15, 1, 61, ""},
        {CLASS_ALL, 1, 61, "Bolt|Nobody|Zap", 24},
        {CLASS_ALL, 1, 61, "Storm", 200},
        // A failed skill table has a count of 0: skill 0 then means every skill.
        {CLASS_ALL, 1, 50, "Aura|Bolt|Storm|Zap", 0, 0},
        {CLASS_ALL, 1, 50, "Aura|Bolt", 74, 74, 0},
        {CLASS_ALL, 1, 50, "Aura|Bolt|Zap", 74, 74, EFFECT_NONE},
    };
    for (const Case& c : cases) {
        const SpellFilter filter{c.classFilter, {c.from, c.to}, c.skill, c.skillCount, c.effect};
        EXPECT_EQ(Listed(filter), c.expected)
            << "class " << c.classFilter << " levels " << c.from << "-" << c.to << " skill " << c.skill << "/"
            << c.skillCount << " effect " << c.effect;
    }
}

TEST(SpellQuery, LinesComeInFileOrderAndSortStablyByText)
{
    const auto numbers = [](const std::vector<SpellLine>& lines) {
        std::vector<int> records;
        for (const SpellLine& line : lines)
            records.push_back(line.record);
        return records;
    };
    EXPECT_EQ(numbers(QuerySpells(Records(), SpellFilter{kWizard, {1, 50}, 74, 74, EFFECT_ALL})),
              (std::vector<int>{0, 1, 2, 3}));

    std::vector<SpellLine> lines = {{"12  Alpha", 0}, {" 5  Zed", 1}, {"12  alpha", 2}, {" 5  Bolt", 3},
                                    {"49  Aura", 4},  {" 1  Zap", 5}, {"12  Alpha", 6}};
    SortSpellLines(lines);
    EXPECT_EQ(numbers(lines), (std::vector<int>{5, 3, 1, 0, 2, 6, 4}));
}

TEST(ListOrder, BlanksThenMarkersThenDigitsThenLettersIgnoringOnlyCase)
{
    const struct {
        const char *a, *b;
        int sign;
    } cases[] = {
        {" Unnamed", "*** All ***", -1}, {"*** Not available ***", "9 Lives", -1}, {"9 Lives", "abc", -1},
        {" 5  Zed", "12  Alpha", -1},    {"Fire Bolt", "fire bolt", 0},           {"apple", "Banana", -1},
        {"Fire", "Fire Bolt", -1},       {"Fire_Bolt", "Fire Bolt", 1},           {"Zorn", "\xC4rger", -1},
    };
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(CompareListText(c.a, c.b)), c.sign) << c.a << " : " << c.b;
        EXPECT_EQ(sign(CompareListText(c.b, c.a)), -c.sign) << c.b << " : " << c.a;
        EXPECT_EQ(ListTextLess(c.a, c.b), c.sign < 0) << c.a << " : " << c.b;
    }
}

TEST(SpellSkillsInUse, OnlyNamedRecordsMarkTheirSkillOnceFromTheTopDown)
{
    const std::vector<SpellRecord> records = {Spell("A", 24), Spell("B", 4),  Spell("C", 24),
                                              Spell("D", 73), SpellRecord::MakeEmpty().SetSkill(10),
                                              Spell("E", 74), Spell("F", 255)};
    EXPECT_EQ(SkillsInUse(records, 74), (std::vector<int>{73, 24, 4}));
    EXPECT_EQ(SkillsInUse(records, 24), (std::vector<int>{4}));
    EXPECT_TRUE(SkillsInUse(records, 0).empty());
    EXPECT_TRUE(SkillsInUse({}, 74).empty());
}
