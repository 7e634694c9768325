// Runs tomelens-cli unpack, pack and diff: their exit codes and what they
// say. What the operations produce is tested in the core suite.
#include "CliTest.h"

#include "archive/CheckSum.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(ModdingCommands, UnpackPackAndDiffReportThroughExitCodesAndOneLineMessages)
{
    Folder folder;
    const std::string original = (folder / "orig.pfs").string(), packed = (folder / "packed.pfs").string();
    const std::string dir = (folder / "work").string();
    WriteArchive(original, {{"a.txt", "alpha", CheckSum("alpha", 5, 0)}, {"b.txt", "beta"}});

    CliRun run = RunCli({"unpack", original, dir});
    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err), std::tuple(0, dir + ": 2 entries from " + original + "\n", ""));
    run = RunCli({"unpack", original, dir});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("is not empty"));

    run = RunCli({"pack", dir, packed});
    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err),
              std::tuple(0, packed + ": 2 kept, 0 changed, 0 added, 0 removed\n", ""));
    run = RunCli({"diff", original, packed});
    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err), std::tuple(0, "", ""));

    WriteText(folder / "work" / "a.txt", "ALPHA!");
    run = RunCli({"pack", dir, packed});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(Lines(run.err), ElementsAre(HasSubstr("entry \"a.txt\" keeps its stored checksum")));
    run = RunCli({"diff", original, packed});
    EXPECT_EQ(std::tuple(run.exitCode, run.out), std::tuple(1, "differs: a.txt (size 5 -> 6, data)\n"));
    run = RunCli({"diff", "--json", original, packed});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.out, HasSubstr("\"kind\": \"changed\", \"name\": \"a.txt\""));

    run = RunCli({"diff", original, (folder / "missing").string()});
    EXPECT_EQ(std::tuple(run.exitCode, run.out), std::tuple(2, ""));
    EXPECT_THAT(run.err, HasSubstr("missing: no such file"));
    run = RunCli({"pack", (folder / "missing").string(), packed});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("nothing written"));
    run = RunCli({"diff", original});
    EXPECT_EQ(run.exitCode, 2);
}
