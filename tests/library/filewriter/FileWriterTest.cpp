// The one writer: its temporary files' paths and names; replacing a file:
// it commits once and an abandoned write leaves no trace; a failure names its step and cause and keeps the old
// file; a replaced file keeps its permissions, times and link; and writing
// inside an open folder never follows a link and replaces only when asked.
#include "support/TestFiles.h"

#include "archive/AtomicFileWriter.h"
#include "archive/DMResultCodes.h"
#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace testsupport;
using namespace tomelens::archive;

namespace {

using Step = AtomicFileWriter::Step;

TEST(SiblingPath, TheTemporaryFileGoesInTheTargetsFolder)
{
    const struct {
        PathStyle style;
        std::string target;
        std::string folder;  // empty: the target names no file
    } cases[] = {
        {PathStyle::Posix, "/games/x/game.dat", "/games/x/"}, {PathStyle::Posix, "game.dat", "."},
        {PathStyle::Posix, "dir\\C:game.dat", "."},  // on POSIX a backslash or colon is part of a name
        {PathStyle::Windows, "C:/games\\sub/game.dat", "C:/games\\sub/"}, {PathStyle::Windows, "d:game.dat", "d:"},
        {PathStyle::Windows, "1:game", "."},  // not a drive letter
        {PathStyle::Posix, "dir/", ""},        {PathStyle::Windows, "dir\\", ""}, {PathStyle::Windows, "C:", ""},
    };
    for (const auto& c : cases) {
        const std::wstring wide(c.target.begin(), c.target.end());
        EXPECT_EQ(NameStart(wide, c.style), NameStart(c.target, c.style)) << c.target;
        if (c.folder.empty()) {
            EXPECT_EQ(NameStart(c.target, c.style), c.target.size()) << c.target;
        } else {
            EXPECT_EQ(FolderOf(c.target, c.style), c.folder) << c.target;
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

// Opens, writes and commits; false at the first step that fails.
bool WriteWhole(AtomicFileWriter& writer, const std::string& target, const Bytes& bytes,
                KeepTimes keepTimes = KeepTimes::No)
{
    return writer.Open(target.c_str(), keepTimes) == DMResult::Success && writer.Write(bytes.data(), bytes.size()) &&
           writer.Commit() == DMResult::Success;
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
        ASSERT_EQ(writer.Open(target.c_str(), KeepTimes::No), DMResult::Success);
        EXPECT_TRUE(writer.Write(fresh.data(), fresh.size()));
        // Opening again gives up the first temporary file; Abandon the second.
        ASSERT_EQ(writer.Open(target.c_str(), KeepTimes::No), DMResult::Success);
        EXPECT_TRUE(writer.Write(fresh.data(), fresh.size()));
        writer.Abandon();
        EXPECT_EQ(writer.Commit(), DMResult::ShortWrite);
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

TEST(AtomicFileWriter, AFailureNamesItsStepAndCauseAndKeepsTheOldFile)
{
    TempDir dir;
    const std::string kept = dir.File("kept.bin"), locked = dir.File("locked.bin");
    WriteFile(kept, "kept");
    WriteFile(locked, "locked");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    const struct {
        std::string target;
        Step step;
        int error;
    } cases[] = {
        {dir.Path() + "/", Step::Create, EISDIR},
        {dir.Path(), Step::Create, EISDIR},
        {dir.File("missing/x.bin"), Step::Create, ENOENT},
        {locked, Step::Create, EACCES},  // protected on purpose, even from the superuser
        {kept, Step::Write, EFBIG},      // past the size limit, as on a full disk
    };
    FileSizeLimit limit(1000);
    for (const auto& c : cases) {
        AtomicFileWriter writer;
        EXPECT_FALSE(WriteWhole(writer, c.target, Bytes(5000, 7))) << c.target;
        EXPECT_EQ(writer.FailedStep(), c.step) << c.target;
        EXPECT_EQ(writer.SystemError(), c.error) << c.target;
    }
    EXPECT_EQ(ReadFile(kept), ToBytes("kept"));
    EXPECT_EQ(ReadFile(locked), ToBytes("locked"));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"kept.bin", "locked.bin"}));
    // Not a regular file: written in place instead of renamed over.
    AtomicFileWriter device;
    EXPECT_TRUE(WriteWhole(device, "/dev/null", Bytes(10, 1)));
}

TEST(AtomicFileWriter, AReplacedFileKeepsItsPermissionsTimesAndLinkAndAnyNameFits)
{
    TempDir dir;
    const std::string path = dir.File("game.dat"), link = dir.File("link.dat");
    WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 123}, {1100000000, 456}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    AtomicFileWriter writer;
    ASSERT_TRUE(WriteWhole(writer, link, ToBytes("new"), KeepTimes::Yes));

    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 456);
    EXPECT_EQ(ReadFile(path), ToBytes("new"));

    // The temporary name does not grow with the target's.
    const std::string longName = std::string(251, 'n') + ".dat";
    for (int round = 0; round < 2; ++round)  // new, then over the existing file
        EXPECT_TRUE(WriteWhole(writer, dir.File(longName), ToBytes("long")));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"game.dat", "link.dat", longName}));
}

// Inside an open folder, as extraction writes: whatever holds the name is
// never followed, and is replaced only when that is asked for and the last
// look allows it. (Extraction's own tests cover a file or link in the way.)
TEST(AtomicFileWriter, WritingInsideAFolderNeverFollowsAndReplacesOnlyWhenAsked)
{
    enum class Holder { File, LinkOut, Folder };
    const struct {
        Holder holder;
        bool replace, lastLookAllows;
        Step step;  // None: the new content is in place
        int error;
    } cases[] = {
        {Holder::File, false, true, Step::Replace, EEXIST},   {Holder::Folder, false, true, Step::Replace, EEXIST},
        {Holder::Folder, true, true, Step::Create, EISDIR},   {Holder::LinkOut, true, true, Step::None, 0},
        {Holder::File, true, false, Step::Replace, 0},
    };
    for (bool unnamed : {true, false}) {
        g_useUnnamedTemps = unnamed;
        for (const auto& c : cases) {
            const auto what = ::testing::Message() << "holder " << int(c.holder) << " replace " << c.replace
                                                   << " unnamed " << unnamed;
            TempDir outside, dir;
            const std::string outsideFile = outside.File("victim"), target = dir.File("name");
            WriteFile(outsideFile, "outside");
            const int made = c.holder == Holder::LinkOut  ? ::symlink(outsideFile.c_str(), target.c_str())
                             : c.holder == Holder::Folder ? ::mkdir(target.c_str(), 0700)
                                                          : (WriteFile(target, "old"), 0);
            ASSERT_EQ(made, 0);
            const int folder = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            WriteOptions options;
            options.followTarget = false;
            options.replaceExisting = c.replace;
            options.lastLook = [&] { return c.lastLookAllows; };
            {
                AtomicFileWriter writer;
                const bool done = writer.OpenIn(folder, "name", options) == DMResult::Success &&
                                  writer.Write("new", 3) && writer.Commit() == DMResult::Success;
                EXPECT_EQ(done, c.step == Step::None) << what;
                EXPECT_EQ(writer.FailedStep(), c.step) << what;
                EXPECT_EQ(writer.SystemError(), c.error) << what;
            }
            ::close(folder);
            EXPECT_EQ(ReadFile(outsideFile), ToBytes("outside")) << what;
            if (c.holder != Holder::Folder) {
                EXPECT_EQ(ReadFile(target), ToBytes(c.step == Step::None ? "new" : "old")) << what;
            }
            EXPECT_EQ(dir.List(), std::vector<std::string>{"name"}) << what << ": no temporary file left";
        }
    }
    g_useUnnamedTemps = true;
}

}  // namespace
