// The file layer under the archive code: paths beside a target for both path
// styles, owning handles, whole reads, and the atomic writer used directly.
#include "ArchiveSuite.h"

#include "archive/AtomicFileWriter.h"
#include "archive/DMSaveTemp.h"
#include "archive/FileIo.h"
#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"

#ifdef _WIN32
#include "archive/WindowsHeaders.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace archivetest;
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
    const std::string name = SaveTempName(longest, 4000000000u, 4000000000u);
    EXPECT_LE(name.size(), 40u);
    std::uint32_t hash = 0;
    std::uint64_t pid = 0;
    ASSERT_TRUE(ParseSaveTempName(name, hash, pid));
    EXPECT_EQ(hash, TargetNameHash(longest));
    EXPECT_EQ(pid, 4000000000u);

    for (const char* other : {"game.dat", ".tl~0123abcD-1-2.tmp", ".tl~0123abcd--2.tmp", ".tl~0123abcd-1-2.tm",
                              "x.tl~0123abcd-1-2.tmp", ".tl~0123abcd-99999999999999999999-2.tmp"})
        EXPECT_EQ(DMIsSaveTempName(other), 0) << other;
    EXPECT_EQ(DMIsSaveTempName(".tl~0123abcd-1-2.tmp"), 1);
    EXPECT_EQ(DMIsSaveTempName(nullptr), 0);
}

TEST(FileHandle, OwnsOneDescriptorAndClosesItOnce)
{
#ifdef _WIN32
    const NativeFile fd = ::CreateFileA("NUL", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(fd, INVALID_HANDLE_VALUE);
    const auto isOpen = [](NativeFile file) {
        DWORD flags = 0;
        return ::GetHandleInformation(file, &flags) != 0;
    };
    const NativeFile failedOpen = INVALID_HANDLE_VALUE;
#else
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const auto isOpen = [](int file) { return ::fcntl(file, F_GETFD) != -1; };
    const int failedOpen = -2;
#endif
    {
        FileHandle first(fd);
        FileHandle second;
        second = std::move(first);
        EXPECT_FALSE(first.Valid());
        FileHandle third(std::move(second));
        EXPECT_TRUE(isOpen(fd)) << "moving must not close";
    }
    EXPECT_FALSE(isOpen(fd)) << "the last owner closes";
    EXPECT_FALSE(FileHandle(failedOpen).Valid()) << "any failed open's result is no handle";
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

#ifdef _WIN32
    for (const std::string& other : {dir.Path(), std::string("NUL")}) {
#else
    // A pipe without a writer would block a plain open; every reader must refuse it at once.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& other : {dir.Path(), fifo, std::string("/dev/null")}) {
#endif
        std::uint64_t untouched = 77;
        EXPECT_FALSE(OpenRegularFileForReading(other.c_str(), untouched).Valid()) << other;
        EXPECT_EQ(untouched, 77u) << other;
    }
#ifndef _WIN32
    DMDataFile archive(nullptr);
    DMDataFileEntry entry;
    EXPECT_EQ(archive.CheckFile(fifo.c_str()), DMResult::CannotOpen);
    EXPECT_EQ(archive.Load(fifo.c_str()), DMResult::CannotOpen);
    EXPECT_EQ(entry.LoadData(fifo.c_str()), DMResult::CannotOpen);
#endif
}

TEST(AtomicFileWriter, CommitsOnceAndAnAbandonedWriteLeavesNoTrace)
{
    TempDir dir;
    const std::string target = dir.File("target.bin");
    const Bytes old = ToBytes("old content"), fresh = PatternBytes(5000, 3);
    WriteFile(target, old);
    for (bool unnamed : {true, false}) {  // a named temporary file is the one that could be left behind
        g_useUnnamedTemps = unnamed;
        AtomicFileWriter writer;
        EXPECT_EQ(writer.Commit(), DMResult::ShortWrite) << "nothing open";
        EXPECT_EQ(writer.Open("", KeepTimes::No), DMResult::CannotOpen);
        ASSERT_EQ(writer.Open(target.c_str(), KeepTimes::No), DMResult::Success);
        EXPECT_TRUE(writer.Write(fresh.data(), fresh.size()));
        // Opening again gives up the first temporary file.
        ASSERT_EQ(writer.Open(target.c_str(), KeepTimes::No), DMResult::Success);
        EXPECT_TRUE(writer.Write(fresh.data(), fresh.size()));
    }
    g_useUnnamedTemps = true;
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"target.bin"});

    AtomicFileWriter writer;
    ASSERT_EQ(writer.Open(target.c_str(), KeepTimes::No), DMResult::Success);
    EXPECT_TRUE(writer.Write(fresh.data(), 1000));
    EXPECT_TRUE(writer.Write(fresh.data() + 1000, fresh.size() - 1000));
    ASSERT_EQ(writer.Commit(), DMResult::Success);
    // The writer is spent: more writes and a second commit fail and change nothing.
    EXPECT_FALSE(writer.Write(old.data(), old.size()));
    EXPECT_EQ(writer.Commit(), DMResult::ShortWrite);
    EXPECT_EQ(ReadFile(target), fresh);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"target.bin"});
}

}  // namespace
