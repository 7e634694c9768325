// The description of a spell: the rules the export's whole texts leave out, and numbers.

#include "spells/SpellDescription.h"

#include "SpellTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <locale>
#include <sstream>
#include <string>
#include <vector>

using namespace tomelens::core;

namespace {

std::string Describe(const SpellRecord& r, const std::string& prefix)
{
    std::ostringstream out;
    DescribeSpell(out, r, prefix);
    return out.str();
}

} // namespace

// Only the sections these rules touch; the whole text is checked by the export tests.
TEST(SpellDescription, AZeroSlotWithAnEffectIdALevelZeroAndAKeptComponentAloneStillShow)
{
    SpellRecord r = SpellRecord::MakeEmpty();
    r.SetEffect(2, 3, 0).SetKeptComponent(1, 77);
    r.SetClassLevel(11, 61).SetClassLevel(8, 0);
    EXPECT_THAT(Describe(r, ""), ::testing::EndsWith("Effects: \n"
                                                      "\tMove Speed: 0\n"
                                                      "\n"
                                                      "Classes: \n"
                                                      "\tMonk: 0\n"
                                                      "\n"
                                                      "Components: \n"
                                                      "\t#77 - 0 (not consumed)\n"));
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
    const SpellRecord r = FireStorm().SetMana(12345).SetCastTime(1234567);
    DescribeSpell(out, r, "");
    EXPECT_EQ(out.str(), Describe(r, ""));
}

TEST(SpellDescription, ByRecordNumberWritesNothingOutsideTheRecords)
{
    const std::vector<SpellRecord> records = {FireStorm(), SpellRecord::MakeEmpty().SetName("Quiet")};
    std::ostringstream byNumber;
    for (int number : {-1, 1, 2, 1000})
        DescribeSpell(byNumber, records, number, "\t");
    EXPECT_EQ(byNumber.str(), Describe(records[1], "\t"));
}

TEST(SpellDuration, MinutesAndSecondsAsTheTextStreamWritesThem)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {1, "0.001 sec."},          {59999, "59.999 sec."},     {60000, "1 min. 0 sec."},
        {90000, "1 min. 30 sec."},  {3600000, "60 min. 0 sec."}, {4294967295u, "71582 min. 47.295 sec."},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(FormatSpellDuration(ms), text) << ms;
}
