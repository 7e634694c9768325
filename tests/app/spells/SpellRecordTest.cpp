// Field offsets and text bounds of the 560-byte spell record.

#include "spells/SpellRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

void Put(SpellRecord& r, std::size_t offset, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        r.bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t Get(const SpellRecord& r, std::size_t offset, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | r.bytes[offset + i];
    return value;
}

} // namespace

TEST(SpellRecordFields, AccessorsReadLittleEndianAtTheirOffsets)
{
    SpellRecord r;
    Put(r, 432, 0x01020304, 4);
    Put(r, 440, 0xA0B0C0D0, 4);
    Put(r, 456, 0xBEEF, 2);
    const std::uint16_t base[4] = {0x0005, 0xFFE7, 0x8000, 0x7FFF};  // 5, -25, -32768, 32767
    const std::uint16_t max[4] = {0, 7, 40000, 65535};
    for (int i = 0; i < 4; ++i) {
        Put(r, 458 + 2 * i, base[i], 2);
        Put(r, 466 + 2 * i, max[i], 2);
        Put(r, 478 + 2 * i, 1000u + i, 2);
        Put(r, 486 + 2 * i, 10u + i, 2);
        r.bytes[506 + i] = static_cast<unsigned char>(40 + i);
    }
    Put(r, 494, 13080, 2);
    Put(r, 496, 65535, 2);
    r.bytes[512] = 73;
    for (int c = 0; c < 14; ++c)
        r.bytes[517 + c] = static_cast<unsigned char>(c + 1);

    EXPECT_EQ(r.CastTime(), 0x01020304u);
    EXPECT_EQ(r.RecoverTime(), 0xA0B0C0D0u);
    EXPECT_EQ(r.Mana(), 0xBEEF);
    const int expectedBase[4] = {5, -25, -32768, 32767};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.EffectBase(i), expectedBase[i]) << i;
        EXPECT_EQ(r.EffectMax(i), max[i]) << i;
        EXPECT_EQ(r.Component(i), 1000 + i) << i;
        EXPECT_EQ(r.ComponentCount(i), 10 + i) << i;
        EXPECT_EQ(r.EffectId(i), 40 + i) << i;
    }
    EXPECT_EQ(r.KeptComponent(0), 13080);
    EXPECT_EQ(r.KeptComponent(1), 65535);
    EXPECT_EQ(r.Skill(), 73);
    for (int c = 0; c < 14; ++c)
        EXPECT_EQ(r.ClassLevel(c), c + 1) << c;
}

TEST(SpellRecordFields, SettersWriteTheSameBytesTheAccessorsRead)
{
    SpellRecord r;
    r.SetCastTime(61500).SetRecoverTime(2500).SetMana(300).SetSkill(24);
    r.SetEffect(3, 79, -7, 40000).SetComponent(2, 13080, 4).SetKeptComponent(1, 512).SetClassLevel(13, 60);
    // The same record laid out by hand at the file's offsets.
    SpellRecord expected;
    Put(expected, 432, 61500, 4);
    Put(expected, 440, 2500, 4);
    Put(expected, 456, 300, 2);
    expected.bytes[512] = 24;
    expected.bytes[506 + 3] = 79;
    Put(expected, 458 + 6, 0xFFF9, 2);
    Put(expected, 466 + 6, 40000, 2);
    Put(expected, 478 + 4, 13080, 2);
    Put(expected, 486 + 4, 4, 2);
    Put(expected, 494 + 2, 512, 2);
    expected.bytes[517 + 13] = 60;
    for (std::size_t i = 0; i < kSpellRecordSize; ++i)
        EXPECT_EQ(r.bytes[i], expected.bytes[i]) << "byte " << i;

    r.SetComponentCount(2, 9);
    EXPECT_EQ(Get(r, 490, 2), 9u);
    EXPECT_EQ(r.Component(2), 13080);
}

TEST(SpellRecordTexts, EachTextStopsAtItsNulOrItsFieldEnd)
{
    SpellRecord r;
    std::memset(r.bytes, 'x', 416);  // no NUL anywhere in the texts
    EXPECT_EQ(r.Name(), std::string(96, 'x'));
    EXPECT_EQ(r.CastingMessage(), std::string(64, 'x'));
    EXPECT_EQ(r.FadesMessage(), std::string(64, 'x'));

    r.SetName("Fire Bolt").SetCastOnYouMessage("You burn.");
    EXPECT_EQ(r.Name(), "Fire Bolt");
    EXPECT_EQ(r.CastOnYouMessage(), "You burn.");
    EXPECT_EQ(r.OthersCastingMessage(), std::string(64, 'x'));
    EXPECT_EQ(r.CastOnOtherMessage(), std::string(64, 'x'));
    EXPECT_EQ(r.bytes[96], 'x') << "SetName must stay inside its 96 bytes";
}

TEST(SpellRecordTexts, OverlongTextsAreCutToKeepTheirNul)
{
    SpellRecord r;
    r.SetName(std::string(200, 'n')).SetCastingMessage(std::string(100, 'c')).SetOthersCastingMessage("next");
    EXPECT_EQ(r.Name(), std::string(95, 'n'));
    EXPECT_EQ(r.CastingMessage(), std::string(63, 'c'));
    EXPECT_EQ(r.OthersCastingMessage(), "next");
    EXPECT_TRUE(r.HasName());
    EXPECT_FALSE(SpellRecord().HasName());
}

TEST(SpellRecordEmpty, HoldsTheEmptyMarkersEverywhere)
{
    const SpellRecord r = SpellRecord::MakeEmpty();
    EXPECT_FALSE(r.HasName());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.EffectId(i), EFFECT_NONE);
        EXPECT_EQ(r.EffectBase(i), 0);
        EXPECT_EQ(r.EffectMax(i), 0);
        EXPECT_EQ(r.Component(i), COMPONENT_NONE);
    }
    EXPECT_EQ(r.KeptComponent(0), COMPONENT_NONE);
    EXPECT_EQ(r.KeptComponent(1), COMPONENT_NONE);
    for (int c = 0; c < 14; ++c)
        EXPECT_EQ(r.ClassLevel(c), LEVEL_NOT_AVAILABLE);
    EXPECT_EQ(r.bytes[531], 0) << "the byte after the class levels is not one of them";
}
