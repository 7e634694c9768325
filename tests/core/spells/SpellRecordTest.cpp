// The 560-byte spell record (field offsets, text bounds) and the
// vocabulary lookup rule.

#include "spells/SpellRecord.h"
#include "spells/SpellTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tomelens::core;

TEST(SpellRecordFields, SettersWriteTheLittleEndianFileLayoutAndNothingElse)
{
    SpellRecord set;
    set.SetCastTime(0x04030201).SetRecoverTime(0x08070605).SetMana(0x0A09).SetSkill(73);
    set.SetEffect(3, 0xEE, -2, 0xBBAA).SetComponent(1, 0x1234, 0x5678).SetKeptComponent(1, 0x9ABC);
    set.SetClassLevel(13, 14);
    const std::pair<std::size_t, std::vector<unsigned char>> fields[] = {
        {432, {1, 2, 3, 4}}, {440, {5, 6, 7, 8}}, {456, {0x09, 0x0A}}, {464, {0xFE, 0xFF}}, {472, {0xAA, 0xBB}},
        {480, {0x34, 0x12}}, {488, {0x78, 0x56}}, {496, {0xBC, 0x9A}}, {509, {0xEE}}, {512, {73}}, {530, {14}},
    };
    SpellRecord byHand;
    for (const auto& [offset, field] : fields)
        std::memcpy(byHand.bytes + offset, field.data(), field.size());
    EXPECT_EQ(std::memcmp(set.bytes, byHand.bytes, kSpellRecordSize), 0);
}

TEST(SpellRecordTexts, EachTextStopsAtItsNulOrFieldEndAndSettersKeepTheNul)
{
    SpellRecord r;
    std::memset(r.bytes, 'x', 416);  // no NUL anywhere in the texts
    EXPECT_EQ(r.Name(), std::string(96, 'x'));
    for (auto message : {&SpellRecord::CastingMessage, &SpellRecord::OthersCastingMessage,
                         &SpellRecord::CastOnYouMessage, &SpellRecord::CastOnOtherMessage, &SpellRecord::FadesMessage})
        EXPECT_EQ((r.*message)(), std::string(64, 'x'));

    r.SetName(std::string(200, 'n')).SetCastingMessage(std::string(100, 'c'));
    EXPECT_EQ(r.Name(), std::string(95, 'n'));
    EXPECT_EQ(r.CastingMessage(), std::string(63, 'c'));
    // The neighbour of the text that was set stays as it was.
    EXPECT_EQ(r.OthersCastingMessage(), std::string(64, 'x'));
    EXPECT_FALSE(SpellRecord().HasName());
}

TEST(SpellTables, TheFirstMatchingRowWins)
{
    const SpellTableRow rows[] = {{3, "first"}, {4, "other"}, {3, "second"}};
    EXPECT_STREQ(FindSpellTableName(rows, 3), "first");
    EXPECT_EQ(FindSpellTableName(rows, 5), nullptr);
}
