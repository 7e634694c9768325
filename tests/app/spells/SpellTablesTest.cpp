// The class and effect vocabulary: rows, order and first-match lookup.

#include "spells/SpellTables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string Name(std::span<const SpellTableRow> table, int number)
{
    const char* name = FindSpellTableName(table, number);
    return name ? name : "<none>";
}

} // namespace

TEST(SpellClassTableRows, FilterRowsFirstThenClassesInTheirOwnOrder)
{
    ASSERT_EQ(SpellClassTable.size(), 16u);
    const int numbers[16] = {14, 256, 0, 1, 2, 3, 4, 6, 5, 7, 8, 9, 10, 11, 12, 13};
    for (std::size_t row = 0; row < 16; ++row)
        EXPECT_EQ(SpellClassTable[row].number, numbers[row]) << "row " << row;
    EXPECT_STREQ(SpellClassTable[0].name, "*** All ***");
    EXPECT_STREQ(SpellClassTable[1].name, "*** Not available ***");
    EXPECT_EQ(CLASS_ALL, SpellClassTable[0].number);
    EXPECT_EQ(CLASS_NOT_AVAILABLE, SpellClassTable[1].number);
}

TEST(SpellClassTableRows, EveryClassNumberFindsItsName)
{
    const char* names[14] = {"Warrior", "Cleric", "Paladin", "Ranger", "Shaddow Knight", "Druid", "Rogue",
                             "Bard", "Monk", "Shaman", "Necromancer", "Wizard", "Magician", "Enchanter"};
    for (int c = 0; c < 14; ++c)
        EXPECT_EQ(Name(SpellClassTable, c), names[c]) << "class " << c;
    EXPECT_EQ(Name(SpellClassTable, 14), "*** All ***");
    EXPECT_EQ(Name(SpellClassTable, 256), "*** Not available ***");
    EXPECT_EQ(Name(SpellClassTable, 15), "<none>");
    EXPECT_EQ(Name(SpellClassTable, -1), "<none>");
}

TEST(SpellEffectTableRows, AllRowFirstThenIdsAscendingWithTheKnownGaps)
{
    ASSERT_EQ(SpellEffectTable.size(), 76u);
    EXPECT_EQ(SpellEffectTable[0].number, EFFECT_ALL);
    EXPECT_STREQ(SpellEffectTable[0].name, "*** All ***");
    for (std::size_t row = 2; row < 76; ++row)
        EXPECT_LT(SpellEffectTable[row - 1].number, SpellEffectTable[row].number) << "row " << row;

    const std::set<int> gaps = {16, 17, 34, 37, 39, 41, 43, 45, 51, 60, 62, 70, 72, 78, 80, 82};
    for (int id = 0; id <= 255; ++id) {
        const bool named = FindSpellTableName(SpellEffectTable, id) != nullptr;
        const bool expected = (id <= 90 && !gaps.count(id)) || id == 127;
        EXPECT_EQ(named, expected) << "effect id " << id;
    }
}

TEST(SpellEffectTableRows, NamesKeepTheirOwnSpelling)
{
    EXPECT_EQ(Name(SpellEffectTable, 0), "Healing/Damage");
    EXPECT_EQ(Name(SpellEffectTable, 18), "Remove Monster Aggressivness");
    EXPECT_EQ(Name(SpellEffectTable, 25), "Bind Afinity");
    EXPECT_EQ(Name(SpellEffectTable, 42), "Fade (Teleport small distance)");
    EXPECT_EQ(Name(SpellEffectTable, 48), "Resist Poson");
    EXPECT_EQ(Name(SpellEffectTable, 76), "Senitel");
    EXPECT_EQ(Name(SpellEffectTable, 86), "Monster Fenzy Raduis");
    EXPECT_EQ(Name(SpellEffectTable, 90), "Cloak");
    EXPECT_EQ(Name(SpellEffectTable, 127), "*** All ***");
}

TEST(SpellTableLookup, TheFirstMatchingRowWins)
{
    const SpellTableRow rows[] = {{3, "first"}, {4, "other"}, {3, "second"}};
    EXPECT_STREQ(FindSpellTableName(rows, 3), "first");
    EXPECT_STREQ(FindSpellTableName(rows, 4), "other");
    EXPECT_EQ(FindSpellTableName(rows, 5), nullptr);
    EXPECT_EQ(FindSpellTableName({}, 3), nullptr);
}
