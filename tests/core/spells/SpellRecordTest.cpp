// The 560-byte spell record (field offsets, text bounds, the empty record)
// and the class and effect vocabulary.

#include "spells/SpellRecord.h"
#include "spells/SpellTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

using namespace tomelens::core;

namespace {
void Put(SpellRecord& r, std::size_t offset, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        r.bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}
} // namespace

TEST(SpellRecordFields, SettersAndAccessorsFollowTheLittleEndianFileLayout)
{
    const int base[4] = {5, -25, -32768, 32767};
    const std::uint16_t max[4] = {0, 7, 40000, 65535};
    SpellRecord byHand, set;
    Put(byHand, 432, 61500, 4);
    Put(byHand, 440, 0xA0B0C0D0, 4);
    Put(byHand, 456, 0xBEEF, 2);
    byHand.bytes[512] = 73;
    Put(byHand, 494, 13080, 2);
    Put(byHand, 496, 65535, 2);
    set.SetCastTime(61500).SetRecoverTime(0xA0B0C0D0).SetMana(0xBEEF).SetSkill(73);
    set.SetKeptComponent(0, 13080).SetKeptComponent(1, 65535);
    for (int i = 0; i < 4; ++i) {
        byHand.bytes[506 + i] = static_cast<unsigned char>(40 + i);
        Put(byHand, 458 + 2 * i, static_cast<std::uint16_t>(base[i]), 2);
        Put(byHand, 466 + 2 * i, max[i], 2);
        Put(byHand, 478 + 2 * i, 1000u + i, 2);
        Put(byHand, 486 + 2 * i, 10u + i, 2);
        set.SetEffect(i, std::uint8_t(40 + i), std::int16_t(base[i]), max[i]).SetComponent(i, std::uint16_t(1000 + i), 9);
        set.SetComponentCount(i, std::uint16_t(10 + i));
    }
    for (int c = 0; c < 14; ++c) {
        byHand.bytes[517 + c] = static_cast<unsigned char>(c + 1);
        set.SetClassLevel(c, std::uint8_t(c + 1));
    }
    for (std::size_t i = 0; i < kSpellRecordSize; ++i)
        ASSERT_EQ(set.bytes[i], byHand.bytes[i]) << "byte " << i;

    EXPECT_EQ(byHand.CastTime(), 61500u);
    EXPECT_EQ(byHand.RecoverTime(), 0xA0B0C0D0u);
    EXPECT_EQ(byHand.Mana(), 0xBEEF);
    EXPECT_EQ(byHand.Skill(), 73);
    EXPECT_EQ(byHand.KeptComponent(0), 13080);
    EXPECT_EQ(byHand.KeptComponent(1), 65535);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(byHand.EffectId(i), 40 + i) << i;
        EXPECT_EQ(byHand.EffectBase(i), base[i]) << i;
        EXPECT_EQ(byHand.EffectMax(i), max[i]) << i;
        EXPECT_EQ(byHand.Component(i), 1000 + i) << i;
        EXPECT_EQ(byHand.ComponentCount(i), 10 + i) << i;
    }
    for (int c = 0; c < 14; ++c)
        EXPECT_EQ(byHand.ClassLevel(c), c + 1) << c;
}

TEST(SpellRecordTexts, EachTextStopsAtItsNulOrFieldEndAndSettersKeepTheNul)
{
    SpellRecord r;
    std::memset(r.bytes, 'x', 416);  // no NUL anywhere in the texts
    EXPECT_EQ(r.Name(), std::string(96, 'x'));
    for (auto message : {&SpellRecord::CastingMessage, &SpellRecord::OthersCastingMessage,
                         &SpellRecord::CastOnYouMessage, &SpellRecord::CastOnOtherMessage, &SpellRecord::FadesMessage})
        EXPECT_EQ((r.*message)(), std::string(64, 'x'));

    r.SetName(std::string(200, 'n')).SetCastingMessage(std::string(100, 'c')).SetCastOnYouMessage("You burn.");
    EXPECT_EQ(r.Name(), std::string(95, 'n'));
    EXPECT_EQ(r.CastingMessage(), std::string(63, 'c'));
    EXPECT_EQ(r.CastOnYouMessage(), "You burn.");
    // The neighbours of the texts that were set stay as they were.
    EXPECT_EQ(r.OthersCastingMessage(), std::string(64, 'x'));
    EXPECT_EQ(r.CastOnOtherMessage(), std::string(64, 'x'));
    EXPECT_TRUE(r.HasName());
    EXPECT_FALSE(SpellRecord().HasName());
}

TEST(SpellRecordEmpty, HoldsTheEmptyMarkersAndNothingElse)
{
    SpellRecord byHand;
    std::memset(byHand.bytes + 506, EFFECT_NONE, 4);
    std::memset(byHand.bytes + 478, 0xFF, 8);  // components
    std::memset(byHand.bytes + 494, 0xFF, 4);  // kept components
    std::memset(byHand.bytes + 517, LEVEL_NOT_AVAILABLE, 14);
    const SpellRecord empty = SpellRecord::MakeEmpty();
    for (std::size_t i = 0; i < kSpellRecordSize; ++i)
        ASSERT_EQ(empty.bytes[i], byHand.bytes[i]) << "byte " << i;
}

TEST(SpellTables, ClassNamesByNumberAndTheTwoFilterRows)
{
    const char* names[14] = {"Warrior", "Cleric", "Paladin", "Ranger", "Shaddow Knight", "Druid", "Rogue",
                             "Bard", "Monk", "Shaman", "Necromancer", "Wizard", "Magician", "Enchanter"};
    EXPECT_EQ(SpellClassTable.size(), 16u);
    for (int c = 0; c < 14; ++c)
        EXPECT_STREQ(FindSpellTableName(SpellClassTable, c), names[c]) << c;
    EXPECT_STREQ(FindSpellTableName(SpellClassTable, CLASS_ALL), "*** All ***");
    EXPECT_STREQ(FindSpellTableName(SpellClassTable, CLASS_NOT_AVAILABLE), "*** Not available ***");
    EXPECT_EQ(FindSpellTableName(SpellClassTable, 15), nullptr);
    EXPECT_EQ(FindSpellTableName(SpellClassTable, -1), nullptr);
}

TEST(SpellTables, EffectIdsAscendAfterTheAllRowWithTheKnownGapsAndSpellings)
{
    ASSERT_EQ(SpellEffectTable.size(), 76u);
    EXPECT_EQ(SpellEffectTable[0].number, EFFECT_ALL);
    for (std::size_t row = 2; row < 76; ++row)
        EXPECT_LT(SpellEffectTable[row - 1].number, SpellEffectTable[row].number) << "row " << row;
    const std::set<int> gaps = {16, 17, 34, 37, 39, 41, 43, 45, 51, 60, 62, 70, 72, 78, 80, 82};
    for (int id = 0; id <= 255; ++id)
        EXPECT_EQ(FindSpellTableName(SpellEffectTable, id) != nullptr, (id <= 90 && !gaps.count(id)) || id == 127)
            << id;
    const std::pair<int, const char*> spellings[] = {
        {0, "Healing/Damage"}, {18, "Remove Monster Aggressivness"}, {25, "Bind Afinity"}, {48, "Resist Poson"},
        {76, "Senitel"}, {86, "Monster Fenzy Raduis"}, {90, "Cloak"}, {127, "*** All ***"}};
    for (const auto& [id, name] : spellings)
        EXPECT_STREQ(FindSpellTableName(SpellEffectTable, id), name);
}

TEST(SpellTables, TheFirstMatchingRowWins)
{
    const SpellTableRow rows[] = {{3, "first"}, {4, "other"}, {3, "second"}};
    EXPECT_STREQ(FindSpellTableName(rows, 3), "first");
    EXPECT_STREQ(FindSpellTableName(rows, 4), "other");
    EXPECT_EQ(FindSpellTableName(rows, 5), nullptr);
    EXPECT_EQ(FindSpellTableName({}, 3), nullptr);
}
