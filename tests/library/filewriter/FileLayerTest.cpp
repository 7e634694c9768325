// Where the writer puts its temporary files: paths beside a target for both
// path styles, and the temporary names.
#include "support/TestFiles.h"

#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"

#include <gtest/gtest.h>

using namespace testsupport;
using namespace tomelens::archive;

namespace {

TEST(SiblingPath, TheTemporaryNameStaysInTheTargetsFolder)
{
    const struct {
        PathStyle style;
        std::string target;
        std::string expected;  // empty: the target names no file
    } cases[] = {
        {PathStyle::Posix, "/games/x/game.dat", "/games/x/t~"},
        {PathStyle::Posix, "game.dat", "t~"},
        {PathStyle::Posix, "dir\\C:game.dat", "t~"},  // on POSIX a backslash or colon is part of a name
        {PathStyle::Windows, "C:/games\\sub/game.dat", "C:/games\\sub/t~"},
        {PathStyle::Windows, "d:game.dat", "d:t~"},
        {PathStyle::Windows, "1:game", "t~"},  // not a drive letter
        {PathStyle::Posix, "dir/", ""},
        {PathStyle::Windows, "dir\\", ""},
        {PathStyle::Windows, "C:", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SiblingPath(c.target, "t~", c.style), c.expected) << c.target;
        // The folder to open is the same folder part, or the current one.
        if (!c.expected.empty()) {
            const std::string folder = c.expected.substr(0, c.expected.size() - 2);
            EXPECT_EQ(FolderOf(c.target, c.style), folder.empty() ? "." : folder) << c.target;
        }
    }
}

TEST(SaveTempName, IsShortAndRecognisedAndTellsWhoseItIs)
{
    const std::string longest(255, 'n');
    const SaveTempOwner owner{TargetNameHash(longest), 0xfedcba98u, 4000000000u};
    const std::string name = SaveTempName(owner, 4000000000u);
    EXPECT_LE(name.size(), 50u);
    SaveTempOwner read;
    ASSERT_TRUE(ParseSaveTempName(name, read));
    EXPECT_EQ(read.target, owner.target);
    EXPECT_EQ(read.machine, owner.machine);
    EXPECT_EQ(read.pid, owner.pid);

    for (const char* other : {"game.dat", ".tl~0123abcD-00000000-1-2.tmp", ".tl~0123abcd-0000000-1-2.tmp",
                              ".tl~0123abcd-00000000--2.tmp", ".tl~0123abcd-00000000-1-2.tm", ".tl~0123abcd-1-2.tmp",
                              "x.tl~0123abcd-00000000-1-2.tmp", ".tl~0123abcd-00000000-99999999999999999999-2.tmp"})
        EXPECT_FALSE(ParseSaveTempName(other, read)) << other;
    EXPECT_TRUE(ParseSaveTempName(".tl~0123abcd-00000000-1-2.tmp", read));
    // Host name and boot id both count, and cannot be traded between each other.
    EXPECT_NE(MachineTagOf("host", "boot1"), MachineTagOf("host", "boot2"));
    EXPECT_NE(MachineTagOf("hostb", "oot"), MachineTagOf("host", "boot"));
}

}  // namespace
