// The file layer under the writer: paths beside a target for both path
// styles, temporary names, owning handles and whole reads.
#include "support/TestFiles.h"

#include "archive/FileIo.h"
#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
                              ".tl~0123abcd-00000000--2.tmp", ".tl~0123abcd-00000000-1-2.tm",
                              "x.tl~0123abcd-00000000-1-2.tmp", ".tl~0123abcd-1-2.tmp",
                              ".tl~0123abcd-00000000-99999999999999999999-2.tmp"})
        EXPECT_FALSE(ParseSaveTempName(other, read)) << other;
    EXPECT_TRUE(ParseSaveTempName(".tl~0123abcd-00000000-1-2.tmp", read));
    // Host name and boot id both count, and cannot be traded between each other.
    EXPECT_NE(MachineTagOf("host", "boot1"), MachineTagOf("host", "boot2"));
    EXPECT_NE(MachineTagOf("hostb", "oot"), MachineTagOf("host", "boot"));
}

TEST(FileHandle, OwnsOneDescriptorAndClosesItOnce)
{
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        FileHandle first(fd);
        FileHandle second;
        second = std::move(first);
        EXPECT_FALSE(first.Valid());
        FileHandle third(std::move(second));
        EXPECT_NE(::fcntl(fd, F_GETFD), -1) << "moving must not close";
    }
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the last owner closes";
    EXPECT_FALSE(FileHandle(-2).Valid()) << "any failed open's result is no handle";
}

TEST(FileIo, ReadsRegularFilesWholeAndRefusesEverythingElseAtOnce)
{
    TempDir dir;
    const std::string path = dir.File("data.bin");
    const Bytes content = PatternBytes(70001, 5);
    WriteFile(path, content);
    std::uint64_t size = 0;
    FileHandle file = OpenRegularFileForReading(path.c_str(), size);
    ASSERT_TRUE(file.Valid());
    EXPECT_EQ(size, content.size());
    Bytes read(content.size() + 10, 0);
    // Asking for more than there is stops at the end of the file.
    EXPECT_EQ(ReadFully(file.Get(), read.data(), read.size()), content.size());
    read.resize(content.size());
    EXPECT_EQ(read, content);

    // A pipe without a writer would block a plain open; every reader must refuse it at once.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& other : {dir.Path(), fifo, std::string("/dev/null")}) {
        std::uint64_t untouched = 77;
        EXPECT_FALSE(OpenRegularFileForReading(other.c_str(), untouched).Valid()) << other;
        EXPECT_EQ(untouched, 77u) << other;
    }
}

}  // namespace
