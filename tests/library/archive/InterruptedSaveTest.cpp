// A save cut short by a signal leaves no temporary file behind: a catchable
// signal removes it on the way out, and after an uncatchable one the next
// save of the same archive sweeps it away. Both kinds of temporary file are
// tried: the unnamed one and the named one of file systems without it.
#include "ArchiveSuite.h"

#ifdef _WIN32
TEST(InterruptedSave, IsAboutPosixSignals)
{
    GTEST_SKIP() << "cutting a save short takes fork() and POSIX signals, which Windows does not have";
}
#else

#include "archive/AtomicFileWriter.h"
#include "archive/SaveTempName.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace archivetest;
using namespace tomelens::archive;

namespace {

class InterruptedSave : public ::testing::TestWithParam<bool>, protected LoadedSample {
protected:
    void SetUp() override
    {
        g_useUnnamedTemps = GetParam();
        ASSERT_EQ(archive.GetNumEntries(), 2u);
        archive.GetEntry(0)->SetName("changed");
    }
    void TearDown() override { g_useUnnamedTemps = true; }

    // Saves in a child process that `interrupt` cuts short just before the new
    // content would replace the old; `prepare` runs first in the child.
    // Returns the child's wait status; `child` is its (now gone) process id.
    int SaveInChild(void (*interrupt)(), void (*prepare)(), pid_t& child)
    {
        child = ::fork();
        if (child == 0) {
            prepare();
            g_beforeReplaceHook = interrupt;
            archive.Save(nullptr);
            ::_exit(0);  // only when the interruption failed to stop the save
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    }
};

TEST_P(InterruptedSave, LeavesNoTemporaryFileBehindOnceTheNextSaveHasRun)
{
    const struct {
        const char* what;
        void (*prepare)();
        void (*interrupt)();
        int signal;  // that killed the child; 0: it exited with 42
    } cases[] = {
        {"default SIGTERM", [] {}, [] { ::raise(SIGTERM); }, SIGTERM},
        {"program's own SIGINT handler", [] { std::signal(SIGINT, [](int) { ::_exit(42); }); },
         [] { ::raise(SIGINT); }, 0},
        {"SIGKILL, which no handler sees", [] {}, [] { ::raise(SIGKILL); }, SIGKILL},
    };
    pid_t child = 0;
    for (const auto& c : cases) {
        const int status = SaveInChild(c.interrupt, c.prepare, child);
        EXPECT_TRUE(c.signal ? WIFSIGNALED(status) && WTERMSIG(status) == c.signal
                             : WIFEXITED(status) && WEXITSTATUS(status) == 42)
            << c.what << " status " << status;
        EXPECT_EQ(ReadFile(path), original) << c.what;
        // A catchable signal removes the file on the way out.
        EXPECT_EQ(dir.List().size(), c.signal == SIGKILL ? 2u : 1u) << c.what;
    }

    // The next save sweeps the killed save's file away; a live writer's file,
    // and a dead one's of another archive, are not ours to remove.
    const std::string live = SaveTempName("game.dat", static_cast<std::uint64_t>(::getpid()), 1000000);
    const std::string otherArchive = SaveTempName("other.dat", static_cast<std::uint64_t>(child), 1);
    WriteFile(dir.File(live), "live");
    WriteFile(dir.File(otherArchive), "other");
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    std::vector<std::string> expected = {"game.dat", live, otherArchive};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.List(), expected);
    EXPECT_EQ(Reload(path)[0].name, "changed");
}

TEST_P(InterruptedSave, SavesOnSeveralThreadsAtOnceEachFinishAndPutTheSignalsBack)
{
    struct sigaction before {};
    ::sigaction(SIGINT, nullptr, &before);
    std::vector<std::thread> savers;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        savers.emplace_back([this, t, &failures] {
            DMDataFile own(nullptr);
            const std::string target = dir.File("copy" + std::to_string(t) + ".dat");
            failures += own.Load(path.c_str()) != DMResult::Success;
            for (int round = 0; round < 20; ++round)
                failures += own.Save(target.c_str()) != DMResult::Success;
        });
    }
    for (std::thread& saver : savers)
        saver.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"copy0.dat", "copy1.dat", "copy2.dat", "copy3.dat", "game.dat"}));
    struct sigaction after {};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

INSTANTIATE_TEST_SUITE_P(TemporaryFile, InterruptedSave, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

}  // namespace
#endif
