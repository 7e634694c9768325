// The built-in skill table as the program sees it through TomelensDll.

#include "skills/DMSkills.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

int g_reports = 0;

void CountReport(const char*, const char*)
{
    ++g_reports;
}

// Installed before any test runs, so it sees the table's first construction.
class CountReportsEnvironment : public testing::Environment {
public:
    void SetUp() override { SetSkillsErrorHandler(&CountReport); }
};
const auto* const g_environment = testing::AddGlobalTestEnvironment(new CountReportsEnvironment);

const std::array<const char*, 74> kNames = {
    "1H Blunt", "1H Slashing", "2H Blunt", "2H Slashing", "Abjuration", "Alteration",
    "Apply Poison", "Archery", "Backstab", "Bind Wound", "Bash", "Block", "Brass Instruments",
    "Channeling", "Conjuration", "Defense", "Disarm", "Disarm Traps", "Divination", "Dodge",
    "Double Attack", "Dragon Punch", "Dual Wield", "Eagle Strike", "Evocation", "Feign Death",
    "Flying Kick", "Forage", "Hand to Hand", "Hide", "Kick", "Meditate", "Mend", "Offense",
    "Parry", "Pick Lock", "Piercing", "Riposte", "Round Kick", "Safe Fall", "Sense Heading",
    "Singing", "Sneak", "Specialize Abjure", "Specialize Alteration", "Specialize Conjuration",
    "Specialize Divination", "Specialize Evocation", "Pick Pockets", "Stringed Instruments",
    "Swimming", "Throwing", "Tiger Claw", "Tracking", "Wind Instruments", "Fishing",
    "Make Poison", "Tinkering", "Research", "Alchemy", "Baking", "Tailoring", "Sense Traps",
    "Blacksmithing", "Fletching", "Brewing", "Alcohol Tolerance", "Begging", "Jewelry Making",
    "Pottery", "Percussion Instruments", "Intimidation", "Berserking", "Taunt"};

using Bytes14 = std::array<int, 14>;

// Class-table elements 1 to 14 must be these; elements 0 and 15-29 zero.
void ExpectClassTable(const std::uint8_t (&table)[30], const Bytes14& used, const char* which)
{
    SCOPED_TRACE(which);
    EXPECT_EQ(table[0], 0);
    for (int c = 0; c < 14; ++c)
        EXPECT_EQ(table[c + 1], used[c]) << "element " << c + 1;
    for (int e = 15; e < 30; ++e)
        EXPECT_EQ(table[e], 0) << "element " << e;
}

void ExpectFlags(const DMSkill& s, std::array<int, 4> flags)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.flags[i], flags[i]) << "flag byte " << i;
}

} // namespace

TEST(SkillTable, LoadsAllSeventyFourRecordsWithoutComplaint)
{
    DMSkills skills;
    EXPECT_EQ(skills.GetMaxSkill(), 74);
    EXPECT_EQ(g_reports, 0);
}

TEST(SkillTable, NamesByIndexFollowTheGameOrder)
{
    DMSkills skills;
    for (int i = 0; i < 74; ++i)
        EXPECT_EQ(std::string(SkillName(skills.GetSkill(i))), kNames[i]) << "index " << i;
    // The names are NUL-terminated inside the field, so C callers can use them as strings.
    EXPECT_STREQ(skills.GetSkill(73).name, "Taunt");
}

TEST(SkillTable, LookupByExactNameFindsTheSharedRecord)
{
    DMSkills skills;
    DMSkills other;
    for (int i = 0; i < 74; ++i)
        EXPECT_EQ(&skills.GetSkill(kNames[i]), &other.GetSkill(i)) << kNames[i];
    EXPECT_EQ(&skills.GetSkill("Bash"), &skills.GetSkill(10));
}

TEST(SkillTable, LookupByNameIsCaseAndBlankSensitive)
{
    DMSkills skills;
    for (const char* miss : {"bash", "Bash ", " Bash", "BASH", "Bas", "", "Unknown"}) {
        DMSkill& found = skills.GetSkill(miss);
        EXPECT_STREQ(found.name, "Unknown") << '"' << miss << '"';
        EXPECT_EQ(&found, &skills.GetSkill(74)) << '"' << miss << '"';
    }
}

TEST(SkillTable, OutOfRangeIndicesGiveEachObjectsOwnFallback)
{
    DMSkills first;
    DMSkills second;
    DMSkills copy(first);
    for (DMSkills* skills : {&first, &second, &copy}) {
        for (int index : {74, -1, 255, 1 << 30, -(1 << 30)}) {
            DMSkill& fallback = skills->GetSkill(index);
            EXPECT_STREQ(fallback.name, "Unknown") << index;
            EXPECT_EQ(&fallback, &skills->GetSkill(74)) << index;
        }
    }
    // Each object hands out its own record, so a caller scribbling on one
    // object's fallback cannot rename the other's.
    EXPECT_NE(&first.GetSkill(-1), &second.GetSkill(-1));
    std::strcpy(first.GetSkill(-1).name, "Scribbled");
    EXPECT_STREQ(second.GetSkill(-1).name, "Unknown");
    EXPECT_STREQ(copy.GetSkill(-1).name, "Unknown");
}

TEST(SkillTable, AssignmentCopiesTheFallbackRecord)
{
    DMSkills source;
    DMSkills target;
    std::strcpy(source.GetSkill(-1).name, "Other");
    source.GetSkill(-1).wordA = 7;
    DMSkills& result = (target = source);
    EXPECT_EQ(&result, &target);
    EXPECT_STREQ(target.GetSkill(500).name, "Other");
    EXPECT_EQ(target.GetSkill(500).wordA, 7);
    EXPECT_NE(&target.GetSkill(500), &source.GetSkill(500));
    // The shared records are untouched.
    EXPECT_STREQ(target.GetSkill(0).name, "1H Blunt");
}

TEST(SkillTable, OneHandBluntHasEveryFieldAsGiven)
{
    DMSkill& s = DMSkills().GetSkill(0);
    EXPECT_EQ(s.dwValue, 0u);
    ExpectFlags(s, {0, 0, 0, 1});
    ExpectClassTable(s.classTableA, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, "A");
    ExpectClassTable(s.classTableB, {18, 24, 18, 18, 18, 24, 18, 18, 18, 22, 24, 24, 24, 24}, "B");
    ExpectClassTable(s.classTableC, {200, 175, 200, 200, 200, 175, 252, 200, 200, 200, 110, 110, 110, 110}, "C");
    EXPECT_EQ(s.wordA, 0);
    EXPECT_EQ(s.wordB, 116);
    EXPECT_EQ(s.wordC, 117);
    EXPECT_EQ(s.fValue, 0.1f);
}

TEST(SkillTable, BashHasEveryFieldAsGiven)
{
    DMSkill& s = DMSkills().GetSkill(10);
    EXPECT_EQ(s.dwValue, 8000u);
    ExpectFlags(s, {0, 1, 2, 1});
    ExpectClassTable(s.classTableA, {9, 1, 12, 1, 12, 1, 1, 1, 1, 1, 1, 1, 1, 1}, "A");
    ExpectClassTable(s.classTableB, {8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8}, "B");
    ExpectClassTable(s.classTableC, {200, 0, 149, 0, 149, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "C");
    EXPECT_EQ(s.wordA, 2);
    EXPECT_EQ(s.wordB, 102);
    EXPECT_EQ(s.wordC, 103);
    EXPECT_EQ(s.fValue, 0.3f);
}

TEST(SkillTable, IntimidationHasEveryFieldAsGiven)
{
    DMSkill& s = DMSkills().GetSkill(71);
    EXPECT_EQ(s.dwValue, 10000u);
    ExpectFlags(s, {0, 1, 1, 1});
    ExpectClassTable(s.classTableA, {0, 0, 0, 0, 0, 0, 18, 26, 22, 0, 0, 0, 0, 0}, "A");
    ExpectClassTable(s.classTableB, {12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12}, "B");
    ExpectClassTable(s.classTableC, {0, 0, 0, 0, 0, 0, 200, 100, 200, 0, 0, 0, 0, 0}, "C");
    EXPECT_EQ(s.wordA, 2);
    EXPECT_EQ(s.wordB, 154);
    EXPECT_EQ(s.wordC, 155);
    EXPECT_EQ(s.fValue, 2.5f);
}

// The invented records must look like the game's: every field inside the
// ranges the game's own table keeps to.
TEST(SkillTable, EveryRecordStaysInsideTheGamesRanges)
{
    DMSkills skills;
    const std::set<std::uint32_t> values = {0, 2000, 3500, 5500, 6000, 6200, 7500, 8000,
                                            8500, 10000, 12000, 100000, 360000};
    const std::vector<float> reals = {0.0f, 0.05f, 0.1f, 0.15f, 0.2f, 0.25f, 0.3f, 0.4f, 2.5f};
    int zeroValues = 0;
    for (int i = 0; i < skills.GetMaxSkill(); ++i) {
        SCOPED_TRACE(kNames[i]);
        const DMSkill& s = skills.GetSkill(i);
        EXPECT_LE(SkillName(s).size(), 22u);
        for (std::size_t b = SkillName(s).size(); b < sizeof s.name; ++b)
            EXPECT_EQ(s.name[b], '\0') << "name padding byte " << b;
        EXPECT_TRUE(values.count(s.dwValue)) << s.dwValue;
        zeroValues += s.dwValue == 0;
        EXPECT_EQ(s.flags[0], 0);
        EXPECT_LE(s.flags[1], 1);
        EXPECT_LE(s.flags[2], 2);
        EXPECT_LE(s.flags[3], 1);
        for (int e = 0; e < 30; ++e) {
            const bool used = e >= 1 && e <= 14;
            if (!used) {
                EXPECT_EQ(s.classTableA[e], 0) << "A element " << e;
                EXPECT_EQ(s.classTableB[e], 0) << "B element " << e;
                EXPECT_EQ(s.classTableC[e], 0) << "C element " << e;
                continue;
            }
            EXPECT_LE(s.classTableA[e], 40) << "A element " << e;
            EXPECT_GE(s.classTableB[e], 2) << "B element " << e;
            EXPECT_LE(s.classTableB[e], 34) << "B element " << e;
            EXPECT_LE(s.classTableC[e], 252) << "C element " << e;
        }
        EXPECT_LE(s.wordA, 25);
        EXPECT_GE(s.wordB, 100);
        EXPECT_LE(s.wordB, 160);
        EXPECT_EQ(s.wordB % 2, 0);
        EXPECT_EQ(s.wordC, s.wordB + 1);
        EXPECT_NE(std::find(reals.begin(), reals.end(), s.fValue), reals.end()) << s.fValue;
    }
    EXPECT_EQ(zeroValues, 34);
}
