// The one alphabetical order of the program's sorted lists.

#include "spells/ListOrder.h"
#include "spells/SpellQuery.h"
#include "spells/SpellTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(ListOrder, MarkerRowsComeBeforeEveryName)
{
    std::vector<std::string> texts = {"Wizard", "abc", "*** Not available ***", "9 Lives", " Unnamed", "*** All ***"};
    std::sort(texts.begin(), texts.end(), ListTextLess);
    const std::vector<std::string> expected = {" Unnamed", "*** All ***", "*** Not available ***", "9 Lives", "abc",
                                               "Wizard"};
    EXPECT_EQ(texts, expected);
}

TEST(ListOrder, IgnoresCaseButNotOtherDifferences)
{
    EXPECT_EQ(CompareListText("Fire Bolt", "fire bolt"), 0);
    EXPECT_LT(CompareListText("apple", "Banana"), 0);
    EXPECT_GT(CompareListText("Zeal", "ant"), 0);
    EXPECT_LT(CompareListText("Fire", "Fire Bolt"), 0) << "a prefix sorts first";
    EXPECT_GT(CompareListText("Fire Bolt", "Fire"), 0);
    EXPECT_LT(CompareListText("Fire Bolt", "FireBolt"), 0) << "a blank sorts before a letter";
    EXPECT_NE(CompareListText("Fire_Bolt", "Fire Bolt"), 0);
    EXPECT_FALSE(ListTextLess("same", "SAME"));
    EXPECT_FALSE(ListTextLess("SAME", "same"));
}

TEST(ListOrder, BytesAboveAsciiSortAfterLetters)
{
    EXPECT_LT(CompareListText("Zorn", "\xC4rger"), 0);
    EXPECT_LT(CompareListText("z", "\xE9"), 0);
}

TEST(ListOrder, ClassNamesSortAsTheComboShowsThem)
{
    std::vector<std::string> names;
    for (const SpellTableRow& row : SpellClassTable)
        names.emplace_back(row.name);
    std::sort(names.begin(), names.end(), ListTextLess);
    const std::vector<std::string> expected = {"*** All ***", "*** Not available ***", "Bard", "Cleric", "Druid",
                                               "Enchanter", "Magician", "Monk", "Necromancer", "Paladin", "Ranger",
                                               "Rogue", "Shaddow Knight", "Shaman", "Warrior", "Wizard"};
    EXPECT_EQ(names, expected);
}

TEST(ListOrder, LevelPrefixesSortByLevelThenName)
{
    std::vector<SpellLine> lines = {{"12  Alpha", 0}, {" 5  Zed", 1}, {"12  alpha", 2}, {" 5  Bolt", 3},
                                    {"49  Aura", 4},  {" 1  Zap", 5}, {"12  Alpha", 6}};
    SortSpellLines(lines);
    std::vector<int> order;
    for (const SpellLine& line : lines)
        order.push_back(line.record);
    // Equal texts keep file order (records 0, 2 and 6).
    EXPECT_EQ(order, (std::vector<int>{5, 3, 1, 0, 2, 6, 4}));
}
