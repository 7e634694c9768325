// The pieces of tomelens-cli that decide paths, names and numbers, tested
// directly with many cases each.
#include "CommandLine.h"
#include "Diagnostics.h"
#include "DirectoryExtractor.h"
#include "EntryListing.h"
#include "ProgressBar.h"
#include "SafeEntryPath.h"
#include "spells/SpellFilterNames.h"
#include "UniquePaths.h"
#include "skills/DMSkills.h"
#include "support/TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace tomelens::core;

namespace {

namespace fs = std::filesystem;

// The folder swapped for a link by the hook below, and where the link points.
fs::path g_swapFolder, g_swapOutside;
const char* g_swapStep = nullptr;

void SwapFolderForLink(const char* step)
{
    if (g_swapStep && std::string_view(step) == g_swapStep && fs::is_directory(fs::symlink_status(g_swapFolder))) {
        fs::rename(g_swapFolder, g_swapFolder.string() + ".moved");
        fs::create_directory_symlink(g_swapOutside, g_swapFolder);
    }
}

TEST(DirectoryExtractor, AFolderSwappedForALinkMidWriteLeadsNothingOutside)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows neither renames a folder in use nor makes links without privileges";
#endif
    for (const char* step : {"folder made", "file created", "file written"}) {
        testsupport::TempDir temp;
        const fs::path root = fs::path(temp.Path()) / "root", outside = fs::path(temp.Path()) / "outside";
        fs::create_directories(outside);
        DirectoryExtractor extractor;
        std::string problem;
        ASSERT_TRUE(extractor.Open(root, problem)) << problem;

        g_swapFolder = root / "a";
        g_swapOutside = outside;
        g_swapStep = step;
        DirectoryExtractor::s_betweenSteps = SwapFolderForLink;
        const ExtractResult result = extractor.Write("a/b/file", false, [](ExtractedFile& file) {
            return file.Append("data", 4) ? 0 : 1;
        });
        DirectoryExtractor::s_betweenSteps = nullptr;

        EXPECT_TRUE(fs::is_empty(outside)) << step;
        EXPECT_TRUE(result.outcome == ExtractOutcome::Written || result.outcome == ExtractOutcome::Failed) << step;
        if (result.outcome == ExtractOutcome::Written) {
            EXPECT_TRUE(fs::is_regular_file(root / "a.moved/b/file")) << step;
        }
    }
}

TEST(SafeEntryPath, KeepsPlainNamesAndNeverLeavesTheFolder)
{
    const std::pair<const char*, const char*> cases[] = {
        {" Unnamed", " Unnamed"}, {"textures\\wall.bmp", "textures/wall.bmp"}, {"caf\xE9.txt", "caf\xE9.txt"},
        {".hidden", ".hidden"}, {"a..b", "a..b"}, {"../x", "__/x"}, {"..\\..\\x", "__/__/x"},
        {"/etc/passwd", "etc/passwd"}, {"\\\\server\\share\\f", "server/share/f"}, {"C:\\System\\x.dll", "C_/System/x.dll"},
        {"C:x", "C_x"}, {"a/./b//c/", "a/b/c"}, {"...", "___"}, {"x/..", "x/__"}, {"line\nbreak\x7F", "line_break_"},
        // Names with nothing left give an empty path.
        {"", ""}, {"/", ""}, {"./.", ""}, {"//\\\\", ""},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(SafeEntryPath(name), path) << name;
}

TEST(UniquePaths, NumbersClashingFilesAndFolders)
{
    UniquePaths paths;
    EXPECT_EQ(paths.Claim("a/x"), "a/x");
    EXPECT_EQ(paths.Claim("a/y"), "a/y");      // folders are shared
    EXPECT_EQ(paths.Claim("a/x"), "a/x~2");    // files are not
    EXPECT_EQ(paths.Claim("a/x"), "a/x~3");
    EXPECT_EQ(paths.Claim("a"), "a~2");        // a file may not take a folder's place
    EXPECT_EQ(paths.Claim("a~2/z"), "a~2~2/z"); // nor a folder a file's
    EXPECT_EQ(paths.Claim("b"), "b");
}

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
