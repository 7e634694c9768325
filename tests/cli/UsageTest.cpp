// The program's help: for every command, and a failure when it cannot be written.
#include "CliTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

TEST(Usage, EveryCommandHasHelp)
{
    for (const char* command : {"list", "extract", "create", "add", "delete", "rename", "replace", "set-crc",
                                "verify", "crc", "spells"}) {
        const CliRun run = RunCli({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_THAT(run.out, StartsWith(std::string("Usage: tomelens-cli ") + command)) << command;
    }
    EXPECT_THAT(RunCli({"--help"}).out, HasSubstr("Exit codes: 0 success, 1 the work failed, 2 bad usage."));
    EXPECT_EQ(RunCli({"help", "extract"}).out, RunCli({"extract", "--help"}).out);

    // Help that cannot be written is a failure too.
    for (const char* args : {" --help", " help add", " crc --help"}) {
        const int status = std::system((std::string(TOMELENS_CLI_PATH) + args + " >/dev/full 2>/dev/null").c_str());
        EXPECT_EQ(WEXITSTATUS(status), 1) << args;
    }
}

}  // namespace
