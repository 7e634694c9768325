// The pieces of tomelens-cli that decide paths, names and numbers, tested
// directly with many cases each.
#include "CommandLine.h"
#include "Diagnostics.h"
#include "EntryListing.h"
#include "ProgressBar.h"
#include "spells/SpellFilterNames.h"
#include "skills/DMSkills.h"
#include "support/TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace tomelens::core;

namespace {

namespace fs = std::filesystem;

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsOtherCharacters)
{
    EXPECT_EQ(JsonString("a\"b\\c/d\t\n\r\b\f"), "\"a\\\"b\\\\c/d\\t\\n\\r\\b\\f\"");
    EXPECT_EQ(JsonString(std::string("\x01\x1F\x7F", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(JsonString("\xC2\x81\xC2\x9F"), "\"\\u0081\\u009f\"");  // C1 controls
    EXPECT_EQ(JsonString("caf\xC3\xA9 \xE2\x82\xAC\xC2\xA0"), "\"caf\xC3\xA9 \xE2\x82\xAC\xC2\xA0\"");
}

TEST(ParseUnsigned32, AcceptsDecimalAndHexWithinRange)
{
    EXPECT_EQ(ParseUnsigned32("4294967295"), 4294967295u);
    EXPECT_EQ(ParseUnsigned32("0xffffffff"), 4294967295u);
    EXPECT_EQ(ParseUnsigned32("0X1aB"), 0x1ABu);
    EXPECT_EQ(ParseUnsigned32("007"), 7u);
    for (const char* bad : {"", "4294967296", "0x100000000", "-1", "+1", "0x", "1 ", "1e3", "0x-1", "abc"})
        EXPECT_EQ(ParseUnsigned32(bad), std::nullopt) << bad;
}

TEST(ParseArgs, MixesOptionsAndPositionalsAndRefusesUnknownOnes)
{
    const OptionRule options[] = {{"directory", 'C', true}, {"json", 0, false}};
    const std::vector<std::string> args = {"a.pfs", "-C", "out", "-", "--json", "--directory=final", "--", "--json"};
    const ParsedArgs parsed = ParseArgs(args, options);
    // A lone dash is a positional (a file named "-"), and so is all after "--".
    EXPECT_THAT(parsed.positionals, ::testing::ElementsAre("a.pfs", "-", "--json"));
    EXPECT_EQ(parsed.Value("directory"), "final");
    EXPECT_TRUE(parsed.Flag("json"));
    EXPECT_FALSE(parsed.help);
    EXPECT_TRUE(ParseArgs(std::vector<std::string>{"-h"}, options).help);
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--nope"}, {"-x"}, {"-C"}, {"--directory"}, {"--json=1"}, {"-Cout"}})
        EXPECT_THROW(ParseArgs(bad, options), UsageError) << bad[0];
}

TEST(ProgressBar, RendersTheShareDoneCutsLongLabelsAndClearsItsLine)
{
    EXPECT_EQ(ProgressBar::Render(9, 4, "", 80), "[########################]  4/4");
    EXPECT_EQ(ProgressBar::Render(0, 0, "", 80), "[########################]  0/0");
    EXPECT_EQ(ProgressBar::Render(1, 2, "bad\r\x1B", 80), "[############............]  1/2  bad??");
    EXPECT_EQ(ProgressBar::Render(1, 2, std::string(200, 'n'), 60).size(), 60u);

    // It clears its line for other output and when done; staying silent off a
    // terminal is checked by running the program.
    std::ostringstream shown;
    {
        ProgressBar bar(shown, 2, true);
        bar.Step("a");
        ProgressBar::ClearActive();
        bar.Step("b");
    }
    EXPECT_EQ(shown.str(), "\r\033[K[############............]  1/2  a\r\033[K"
                           "\r\033[K[########################]  2/2  b\r\033[K");
}

TEST(SpellFilterNames, FindTheNumbersTheCombosCarry)
{
    EXPECT_EQ(ClassFilterByName("shaddow knight"), 4);
    EXPECT_EQ(ClassFilterByName("Rogue"), 6);  // listed before Druid, class 5
    EXPECT_EQ(ClassFilterByName("Shadow Knight"), std::nullopt);
    EXPECT_EQ(EffectFilterByName("*** All ***"), 127);
    DMSkills skills;
    EXPECT_EQ(SkillFilterByName("bash", skills), 10);
    EXPECT_EQ(SkillFilterByName("*** All ***", skills), skills.GetMaxSkill());
    EXPECT_EQ(SkillFilterByName("Bash ", skills), std::nullopt);
}

TEST(DisplayName, EscapesOnlyControlBytes)
{
    EXPECT_EQ(DisplayName("a b\\c\xE9"), "a b\\c\xE9");
    EXPECT_EQ(DisplayName(std::string("\x00\x1F\x7F", 3)), "\\x00\\x1F\\x7F");
}

}  // namespace
