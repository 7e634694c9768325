// Runs the commands that only print: list, verify and crc on archives and
// files made here, and help.
#include "CliTest.h"

#include "ProgramFacts.h"
#include "archive/CheckSum.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

unsigned PackedLength(const std::string& data)
{
    return static_cast<unsigned>(testsupport::PackBlocks(testsupport::ToBytes(data)).size());
}

class ArchiveRead : public ::testing::Test {
protected:
    Folder folder;
    std::string big = std::string(20000, 'x') + "tail";
    // Names in the archive's code page, one with control characters.
    std::vector<TextEntry> entries = {{"caf\xE9 \x80", "hello", 0xDEADBEEF}, {"data\\big.bin", big, 7},
                                      {"say \"hi\"\n\x01", "last"}};
    std::string path = (folder / "game.pfs").string();

    // The directory lists the records backwards; everything still follows the data.
    void SetUp() override { WriteArchive(path, entries, true); }
};

TEST_F(ArchiveRead, ListPrintsEveryEntryInDataOrderAsTextOrJson)
{
    char numbers[40];
    std::snprintf(numbers, sizeof numbers, "%10zu %10u %08x ", big.size(), PackedLength(big), 7u);
    CliRun run = RunCli({"list", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(Lines(run.out), ElementsAre(HasSubstr(" deadbeef caf\xC3\xA9 \xE2\x82\xAC"),
                                            std::string(numbers) + "data\\big.bin",
                                            HasSubstr("say \"hi\"\\x0A\\x01")));

    run = RunCli({"list", "--json", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(Lines(run.out),
                ElementsAre("[",
                            "  {\"name\": \"caf\xC3\xA9 \xE2\x82\xAC\", \"length\": 5, \"packedLength\": "
                                + std::to_string(PackedLength("hello")) + ", \"checksum\": \"deadbeef\"},",
                            HasSubstr("\"name\": \"data\\\\big.bin\", \"length\": 20004,"),
                            HasSubstr("\"name\": \"say \\\"hi\\\"\\n\\u0001\""), "]"));
}

TEST_F(ArchiveRead, VerifyPassesGoodArchivesAndNamesEveryBadEntryOrFile)
{
    const std::string bad = (folder / "bad.pfs").string();
    WriteArchive(bad, {{"fine", "fine data"}, {"broken1", "some data", 0, true}, {"broken2", big, 0, true}});
    const std::string junk = (folder / "junk.bin").string();
    WriteText(junk, "0123456789abcdef");

    const CliRun run = RunCli({"verify", bad, path, junk, "--checksums"});
    EXPECT_EQ(run.exitCode, 1);
    // The good archive is still reported, between the bad ones; with
    // --checksums a stored checksum that is not the data's is a warning.
    EXPECT_EQ(run.out, path + ": OK (3 entries)\n");
    EXPECT_THAT(Lines(run.err),
                ElementsAre(StartsWith("tomelens-cli: " + bad + ": warning: entry \"fine\": stored checksum 00000000"),
                            "tomelens-cli: " + bad + ": 2 of 3 entries fail: entry \"broken1\": packed data is "
                                                     "corrupt; entry \"broken2\": packed data is corrupt",
                            HasSubstr("deadbeef"), HasSubstr("00000007"), HasSubstr("\\x01\": stored checksum"),
                            "tomelens-cli: " + junk + ": is not a valid archive"));
}

TEST_F(ArchiveRead, CrcPrintsTheChecksumOfEachFileAndReportsTheOthers)
{
    // 200000 bytes cross several 64 KiB reads; the sum must be the one-shot one.
    const testsupport::Bytes large = testsupport::PatternBytes(200000, 1);
    WriteText(folder / "abc", "123456789");
    testsupport::WriteFile((folder / "large").string(), large);
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    char expected[40];
    std::snprintf(expected, sizeof expected, "cbf43926  abc\n%08x  large\n",
                  CheckSum(large.data(), static_cast<unsigned>(large.size()), 0));
    const CliRun run = RunCli({"crc", "abc", "missing", "fifo", "large"}, folder.Path());
    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err),
              std::tuple(1, expected, "tomelens-cli: missing: no such file\n"
                                      "tomelens-cli: fifo: is not a regular file\n"));
}

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
    EXPECT_EQ(RunCli({"--version"}).out, std::string("tomelens-cli ") + tomelens::core::kProgramVersion + "\n");

    // Help that cannot be written is a failure too.
    for (const char* args : {" --help", " help add", " crc --help"}) {
        const int status = std::system((std::string(TOMELENS_CLI_PATH) + args + " >/dev/full 2>/dev/null").c_str());
        EXPECT_EQ(WEXITSTATUS(status), 1) << args;
    }
}

}  // namespace
