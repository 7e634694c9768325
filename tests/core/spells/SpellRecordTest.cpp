// The 560-byte spell record (field offsets, text bounds) and the
// vocabulary lookup rule.

#include "spells/SpellRecord.h"
#include "spells/SpellTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
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

    // Reading gives back what was written, field by field.
    EXPECT_EQ(set.CastTime(), 61500u);
    EXPECT_EQ(set.RecoverTime(), 0xA0B0C0D0u);
    EXPECT_EQ(set.Mana(), 0xBEEF);
    EXPECT_EQ(set.Skill(), 73);
    EXPECT_EQ(set.KeptComponent(1), 65535);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::tuple(set.EffectId(i), set.EffectBase(i), set.EffectMax(i), set.Component(i), set.ComponentCount(i)),
                  std::tuple(40 + i, base[i], int(max[i]), 1000 + i, 10 + i)) << i;
    EXPECT_EQ(set.ClassLevel(13), 14);
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

TEST(SpellTables, TheFirstMatchingRowWins)
{
    const SpellTableRow rows[] = {{3, "first"}, {4, "other"}, {3, "second"}};
    EXPECT_STREQ(FindSpellTableName(rows, 3), "first");
    EXPECT_STREQ(FindSpellTableName(rows, 4), "other");
    EXPECT_EQ(FindSpellTableName(rows, 5), nullptr);
    EXPECT_EQ(FindSpellTableName({}, 3), nullptr);
}
