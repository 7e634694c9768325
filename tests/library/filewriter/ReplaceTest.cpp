// Replacing a file with the one writer: it commits once, an abandoned write
// leaves no trace, every failure names its step and cause, and writing inside
// an open folder never follows a link and replaces only when asked.
#include "support/TestFiles.h"

#include "archive/AtomicFileWriter.h"
#include "archive/DMResultCodes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace testsupport;
using namespace tomelens::archive;

namespace {

using Step = AtomicFileWriter::Step;

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
    EXPECT_EQ(writer.FailedStep(), Step::None);
    // The writer is spent: more writes and a second commit fail and change nothing.
    EXPECT_FALSE(writer.Write(old.data(), old.size()));
    EXPECT_EQ(writer.Commit(), DMResult::ShortWrite);
    EXPECT_EQ(ReadFile(target), fresh);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"target.bin"});
}

TEST(AtomicFileWriter, AFailureNamesItsStepAndTheSystemsCause)
{
    TempDir dir;
    const std::string kept = dir.File("kept.bin");
    WriteFile(kept, "kept");
    const struct {
        std::string target;
        std::uint64_t size;  // bytes written; more than the 1000-byte limit fails
        Step step;
        int error;
    } cases[] = {
        {dir.Path() + "/", 1, Step::Create, EISDIR},
        {dir.File("missing/x.bin"), 1, Step::Create, ENOENT},
        {kept, 5000, Step::Write, EFBIG},
    };
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (const auto& c : cases) {
        const Bytes bytes(c.size, 7);
        AtomicFileWriter writer;
        const bool done = writer.Open(c.target.c_str(), KeepTimes::No) == DMResult::Success &&
                          writer.Write(bytes.data(), bytes.size()) && writer.Commit() == DMResult::Success;
        EXPECT_FALSE(done) << c.target;
        EXPECT_EQ(writer.FailedStep(), c.step) << c.target;
        EXPECT_EQ(writer.SystemError(), c.error) << c.target;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFile(kept), ToBytes("kept"));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"kept.bin"});
}

// Inside an open folder, as extraction writes: whatever holds the name is
// never followed, and is replaced only when that is asked for.
TEST(AtomicFileWriter, WritingInsideAFolderNeverFollowsAndReplacesOnlyWhenAsked)
{
    enum class Holder { Nothing, File, LinkOut, Folder };
    const struct {
        Holder holder;
        bool replace;
        bool lastLookAllows;
        Step step;  // None: the new content is in place
        int error;
    } cases[] = {
        {Holder::Nothing, false, true, Step::None, 0},
        {Holder::File, false, true, Step::Replace, EEXIST},
        {Holder::LinkOut, false, true, Step::Replace, EEXIST},
        {Holder::Folder, false, true, Step::Replace, EEXIST},
        {Holder::File, true, true, Step::None, 0},
        {Holder::LinkOut, true, true, Step::None, 0},  // the link goes, its file stays
        {Holder::Folder, true, true, Step::Create, EISDIR},
        {Holder::File, true, false, Step::Replace, 0},
    };
    for (bool unnamed : {true, false}) {
        g_useUnnamedTemps = unnamed;
        for (const auto& c : cases) {
            const std::string what = "holder " + std::to_string(static_cast<int>(c.holder)) + " replace " +
                                     std::to_string(c.replace) + " unnamed " + std::to_string(unnamed);
            TempDir outside, dir;
            const std::string outsideFile = outside.File("victim");
            WriteFile(outsideFile, "outside");
            const std::string target = dir.File("name");
            if (c.holder == Holder::File)
                WriteFile(target, "old");
            const int made = c.holder == Holder::LinkOut  ? ::symlink(outsideFile.c_str(), target.c_str())
                             : c.holder == Holder::Folder ? ::mkdir(target.c_str(), 0700)
                                                          : 0;
            ASSERT_EQ(made, 0);
            const int folder = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_GE(folder, 0);

            WriteOptions options;
            options.followTarget = false;
            options.replaceExisting = c.replace;
            options.lastLook = [&] { return c.lastLookAllows; };
            AtomicFileWriter writer;
            const bool done = writer.OpenIn(folder, "name", options) == DMResult::Success &&
                              writer.Write("new", 3) && writer.Commit() == DMResult::Success;
            ::close(folder);
            EXPECT_EQ(done, c.step == Step::None) << what;
            EXPECT_EQ(writer.FailedStep(), c.step) << what;
            EXPECT_EQ(writer.SystemError(), c.error) << what;
            EXPECT_EQ(ReadFile(outsideFile), ToBytes("outside")) << what;
            const char* left = done ? "new" : c.holder == Holder::File ? "old" : nullptr;
            if (left) {
                EXPECT_EQ(ReadFile(target), ToBytes(left)) << what;
            }
            EXPECT_EQ(dir.List(), std::vector<std::string>{"name"}) << what << ": no temporary file left";
            if (c.holder == Holder::Folder)
                ::rmdir(target.c_str());
        }
    }
    g_useUnnamedTemps = true;
}

}  // namespace
