// The engine's pieces that decide where extracted files go: safe paths,
// numbered clashes, and the extractor that never follows a link.
#include "DirectoryExtractor.h"
#include "engine/SafeEntryPath.h"
#include "engine/UniquePaths.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
