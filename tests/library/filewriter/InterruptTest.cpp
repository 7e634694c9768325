// A save cut short leaves no temporary file behind: a catchable signal
// removes it on the way out (through both copies of the writer a process
// holds), and after an uncatchable one a later save on the same machine
// sweeps it away, leaving other machines' files alone. Both kinds of temporary
// file are tried: the unnamed one and the named one of file systems without it.
#include "support/TestFiles.h"

#include "archive/AtomicFileWriter.h"
#include "archive/DMResultCodes.h"
#include "archive/SaveTempName.h"
#include "archive/StaleSaveTemps.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern "C" void SecondCopyArm(int folder, const char* name);
extern "C" void SecondCopyDisarm();

using namespace testsupport;
using namespace tomelens::archive;

namespace {

// Whether the child ended as expected: killed by `signal`, or exited with 42 when it is 0.
::testing::AssertionResult EndedBy(int status, int signal)
{
    if (signal ? WIFSIGNALED(status) && WTERMSIG(status) == signal : WIFEXITED(status) && WEXITSTATUS(status) == 42)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "wait status " << status;
}

template <class Body>
int RunInChild(Body body, pid_t* childOut = nullptr)
{
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);  // only when the interruption failed to stop it
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (childOut)
        *childOut = child;
    return status;
}

class InterruptedSave : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        g_useUnnamedTemps = GetParam();
        WriteFile(target, original);
    }
    void TearDown() override { g_useUnnamedTemps = true; }

    TempDir dir;
    std::string target = dir.File("game.dat");
    Bytes original = ToBytes("the original content");
};

TEST_P(InterruptedSave, LeavesNoTemporaryFileBehindOnceTheNextSaveOnThisMachineHasRun)
{
    static int s_signal = 0;
    pid_t child = 0;
    // SIGKILL is the one no handler sees.
    for (const int signal : {SIGTERM, SIGKILL}) {
        s_signal = signal;
        const int status = RunInChild(
            [&] {
                g_beforeReplaceHook = [] { ::raise(s_signal); };
                AtomicFileWriter writer;
                writer.Open(target.c_str(), KeepTimes::No);
                writer.Write("new", 3);
                writer.Commit();
            },
            &child);
        EXPECT_TRUE(EndedBy(status, signal)) << signal;
        EXPECT_EQ(ReadFile(target), original) << signal;
        // A catchable signal removes the file on the way out.
        EXPECT_EQ(dir.List().size(), signal == SIGKILL ? 2u : 1u) << signal;
    }

    // The next save sweeps the killed save's file away. A live writer's file,
    // a dead one's of another target, and one of another machine (or boot),
    // whose process this machine cannot see, are not ours to remove.
    const auto dead = static_cast<std::uint64_t>(child);
    const std::uint32_t ours = TargetNameHash("game.dat");
    const std::vector<std::string> kept = {
        SaveTempName({ours, MachineTag(), static_cast<std::uint64_t>(::getpid())}, 1000000),
        SaveTempName({TargetNameHash("other.dat"), MachineTag(), dead}, 1),
        SaveTempName({ours, MachineTag() ^ 1u, dead}, 2),
    };
    const std::string deadLocal = SaveTempName({ours, MachineTag(), dead}, 3);
    for (const std::string& name : kept)
        WriteFile(dir.File(name), "leftover");
    WriteFile(dir.File(deadLocal), "leftover");
    AtomicFileWriter writer;
    ASSERT_EQ(writer.Open(target.c_str(), KeepTimes::No), DMResult::Success);
    ASSERT_TRUE(writer.Write("new", 3));
    ASSERT_EQ(writer.Commit(), DMResult::Success);
    std::vector<std::string> expected = kept;
    expected.push_back("game.dat");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.List(), expected);
    EXPECT_EQ(ReadFile(target), ToBytes("new"));
    // With nothing armed any more, the signals are back as they were.
    struct sigaction now {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

INSTANTIATE_TEST_SUITE_P(TemporaryFile, InterruptedSave, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

// The program's copy of the writer (this test's) and the library's (the
// second copy) each install their handler and chain to the one before, in
// whatever order they arm and let go. Steps: o/s arm ours/the second's file,
// O/S let it go; "exit" puts the program's own handler (exit 42) at the bottom.
TEST(TwoWriterCopies, ASignalRemovesTheFilesOfBothWhateverTheOrder)
{
    const struct {
        std::string steps;
        bool oursGone, secondGone;
        int signal;  // 0: the program's own handler ran and exited with 42
    } cases[] = {
        {"os", true, true, SIGTERM},     {"so", true, true, SIGTERM},     {"osO", false, true, SIGTERM},
        {"osOSo", true, false, SIGTERM},  // ours again after both let go: once ours lay under the second's
        {"exit os", true, true, 0},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFile(dir.File("ours"), "x");
        WriteFile(dir.File("second"), "x");
        const int status = RunInChild([&] {
            if (c.signal == 0)
                std::signal(SIGTERM, [](int) { ::_exit(42); });
            const int folder = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
            InterruptCleanup ours;
            for (const char step : c.steps) {
                if (step == 'o')
                    ours.Arm(folder, "ours");
                if (step == 's')
                    SecondCopyArm(folder, "second");
                if (step == 'O')
                    ours.Disarm();
                if (step == 'S')
                    SecondCopyDisarm();
            }
            ::raise(SIGTERM);
        });
        EXPECT_TRUE(EndedBy(status, c.signal)) << c.steps;
        EXPECT_EQ(FileExists(dir.File("ours")), !c.oursGone) << c.steps;
        EXPECT_EQ(FileExists(dir.File("second")), !c.secondGone) << c.steps;
    }
}

}  // namespace
