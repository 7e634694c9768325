// The built-in skill table as the program sees it through TomelensDll.

#include "skills/DMSkills.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
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

TEST(SkillTable, FindsSeventyFourSharedRecordsByIndexAndExactNameElseItsOwnFallback)
{
    DMSkills first;
    DMSkills second;
    EXPECT_EQ(first.GetMaxSkill(), 74);
    EXPECT_EQ(g_reports, 0);
    for (const auto& [index, name] : {std::pair{0, "1H Blunt"}, {10, "Bash"}, {71, "Intimidation"}, {73, "Taunt"}})
        EXPECT_STREQ(first.GetSkill(index).name, name);
    for (int i = 0; i < 74; ++i) {
        const DMSkill& s = first.GetSkill(i);
        EXPECT_EQ(&first.GetSkill(s.name), &second.GetSkill(i)) << "one shared record: " << s.name;
    }
    for (DMSkills* skills : {&first, &second}) {
        DMSkill& fallback = skills->GetSkill(74);
        EXPECT_STREQ(fallback.name, "Unknown");
        for (int index : {-1, 255})
            EXPECT_EQ(&skills->GetSkill(index), &fallback) << index;
        for (const char* miss : {"bash", "Bash ", "Bas", "Unknown"})  // case and blanks count
            EXPECT_EQ(&skills->GetSkill(miss), &fallback) << '"' << miss << '"';
    }
    // One object's fallback is its own; assignment copies it, and only it.
    std::strcpy(first.GetSkill(-1).name, "Scribbled");
    EXPECT_STREQ(second.GetSkill(-1).name, "Unknown");
    second = first;
    EXPECT_STREQ(second.GetSkill(500).name, "Scribbled");
    EXPECT_NE(&second.GetSkill(500), &first.GetSkill(500));
    EXPECT_STREQ(second.GetSkill(0).name, "1H Blunt");
}

// Every field but the name on one line; class tables show elements 1 to 14
// and end in "!" when any other element is not 0.
std::string Fields(const DMSkill& s)
{
    std::ostringstream out;
    out << s.dwValue << " |";
    for (int flag : s.flags)
        out << ' ' << flag;
    for (const std::uint8_t* table : {s.classTableA, s.classTableB, s.classTableC}) {
        out << " |";
        for (int c = 1; c <= 14; ++c)
            out << ' ' << int(table[c]);
        for (int c = 0; c < 30; ++c)
            out << ((c < 1 || c > 14) && table[c] ? "!" : "");
    }
    out << " | " << s.wordA << ' ' << s.wordB << ' ' << s.wordC << " | " << s.fValue;
    return out.str();
}

TEST(SkillTable, TwoRecordsHaveEveryFieldAsGiven)
{
    DMSkills skills;
    EXPECT_EQ(Fields(skills.GetSkill(0)), "0 | 0 0 0 1 | 1 1 1 1 1 1 1 1 1 1 1 1 1 1"
                                          " | 18 24 18 18 18 24 18 18 18 22 24 24 24 24"
                                          " | 200 175 200 200 200 175 252 200 200 200 110 110 110 110 | 0 116 117 | 0.1");
    EXPECT_EQ(Fields(skills.GetSkill(10)), "8000 | 0 1 2 1 | 9 1 12 1 12 1 1 1 1 1 1 1 1 1 | 8 8 8 8 8 8 8 8 8 8 8 8 8 8"
                                           " | 200 0 149 0 149 0 0 0 0 0 0 0 0 0 | 2 102 103 | 0.3");
}

} // namespace
