// The built-in skill table as the program sees it through TomelensDll.

#include "skills/DMSkills.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

int g_reports = 0;

// Installed before any test runs, so it sees the table's first construction.
class CountReportsEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        SetSkillsErrorHandler([](const char*, const char*) { ++g_reports; });
    }
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

TEST(SkillTable, HoldsSeventyFourRecordsFoundByIndexAndExactName)
{
    DMSkills skills;
    DMSkills other;
    EXPECT_EQ(skills.GetMaxSkill(), 74);
    EXPECT_EQ(g_reports, 0);
    for (int i = 0; i < 74; ++i) {
        const DMSkill& s = skills.GetSkill(i);
        EXPECT_STREQ(s.name, kNames[i]) << "index " << i;  // NUL-terminated: usable as a C string
        EXPECT_EQ(std::string(s.name, sizeof s.name), std::string(kNames[i]).append(32 - std::strlen(kNames[i]), '\0'))
            << "NUL-padded, index " << i;
        EXPECT_EQ(&skills.GetSkill(kNames[i]), &other.GetSkill(i)) << "one shared record: " << kNames[i];
    }
}

TEST(SkillTable, AnythingElseGivesEachObjectsOwnFallback)
{
    DMSkills first;
    DMSkills second;
    DMSkills copy(first);
    for (DMSkills* skills : {&first, &second, &copy}) {
        DMSkill& fallback = skills->GetSkill(74);
        EXPECT_STREQ(fallback.name, "Unknown");
        for (int index : {-1, 255, 1 << 30, -(1 << 30)})
            EXPECT_EQ(&skills->GetSkill(index), &fallback) << index;
        for (const char* miss : {"bash", "Bash ", " Bash", "BASH", "Bas", "", "Unknown"})  // case and blanks count
            EXPECT_EQ(&skills->GetSkill(miss), &fallback) << '"' << miss << '"';
    }
    // A caller scribbling on one object's fallback cannot rename another's.
    std::strcpy(first.GetSkill(-1).name, "Scribbled");
    first.GetSkill(-1).wordA = 7;
    EXPECT_STREQ(second.GetSkill(-1).name, "Unknown");
    EXPECT_STREQ(copy.GetSkill(-1).name, "Unknown");
    // Assignment copies the fallback record, and only that.
    DMSkills& result = (second = first);
    EXPECT_EQ(&result, &second);
    EXPECT_STREQ(second.GetSkill(500).name, "Scribbled");
    EXPECT_EQ(second.GetSkill(500).wordA, 7);
    EXPECT_NE(&second.GetSkill(500), &first.GetSkill(500));
    EXPECT_STREQ(second.GetSkill(0).name, "1H Blunt");
}

TEST(SkillTable, ThreeRecordsHaveEveryFieldAsGiven)
{
    using Row = std::array<int, 14>;  // class-table elements 1 to 14; 0 and 15-29 are zero
    const struct {
        int index;
        std::uint32_t value;
        std::array<int, 4> flags;
        Row a, b, c;
        int wordA, wordB;
        float real;
    } records[] = {
        {0, 0, {0, 0, 0, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         {18, 24, 18, 18, 18, 24, 18, 18, 18, 22, 24, 24, 24, 24},
         {200, 175, 200, 200, 200, 175, 252, 200, 200, 200, 110, 110, 110, 110}, 0, 116, 0.1f},
        {10, 8000, {0, 1, 2, 1}, {9, 1, 12, 1, 12, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         {8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8},
         {200, 0, 149, 0, 149, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 2, 102, 0.3f},
        {71, 10000, {0, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 18, 26, 22, 0, 0, 0, 0, 0},
         {12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12},
         {0, 0, 0, 0, 0, 0, 200, 100, 200, 0, 0, 0, 0, 0}, 2, 154, 2.5f},
    };
    auto elements = [](const std::uint8_t (&table)[30]) {
        std::array<int, 30> all{};
        std::copy(std::begin(table), std::end(table), all.begin());
        return all;
    };
    auto expected = [](const Row& used) {
        std::array<int, 30> all{};
        std::copy(used.begin(), used.end(), all.begin() + 1);
        return all;
    };
    for (const auto& r : records) {
        const DMSkill& s = DMSkills().GetSkill(r.index);
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.dwValue, r.value);
        EXPECT_EQ((std::array<int, 4>{s.flags[0], s.flags[1], s.flags[2], s.flags[3]}), r.flags);
        EXPECT_EQ(elements(s.classTableA), expected(r.a)) << "A";
        EXPECT_EQ(elements(s.classTableB), expected(r.b)) << "B";
        EXPECT_EQ(elements(s.classTableC), expected(r.c)) << "C";
        EXPECT_EQ(s.wordA, r.wordA);
        EXPECT_EQ(s.wordB, r.wordB);
        EXPECT_EQ(s.wordC, r.wordB + 1);
        EXPECT_EQ(s.fValue, r.real);
    }
}

} // namespace
