// Runs tomelens-cli extract: its options reach the engine, its reports reach
// the terminal, and Ctrl-C stops it cleanly. What lands where is the engine's
// own suite's business.
#include "CliTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <tuple>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class Extract : public ::testing::Test {
protected:
    Folder folder;
    std::string archive = (folder / "game.pfs").string();
    fs::path target = folder / "out";
};

TEST_F(Extract, NamesListsAndTheProgressBarReachTheEngine)
{
    // File names are the entry names in UTF-8, and names are typed in UTF-8.
    const std::string utf8Name = "c\xC3\xA9.txt";
    WriteArchive(archive, {{"a.txt", "alpha"}, {"sub/b.bin", "beta"}, {"c\xE9.txt", "gamma"}, {"c\x90", "delta"}});
    WriteText(folder / "list", "sub/b.bin\n" + utf8Name + "\n");
    CliRun run = RunCli({"extract", archive, "a.txt", "-T", "list", "-C", "out"}, folder.Path());
    EXPECT_EQ(std::tuple(run.exitCode, run.out + run.err), std::tuple(0, ""));
    EXPECT_THAT(FilesBelow(target), ElementsAre("a.txt", utf8Name, "sub/b.bin"));

    // A control character in a name is written as '_', and the file name used is reported.
    run = RunCli({"extract", archive, "-C", "out", "--skip-existing"}, folder.Path());
    EXPECT_EQ(std::tuple(run.exitCode, run.err),
              std::tuple(0, "tomelens-cli: " + archive + ": entry \"c\\x90\" written as \"c_\"\n"));
    EXPECT_EQ(ReadText(target / "c_"), "delta");
    run = RunCli({"extract", archive, "a.txt", "-C", "out", "--keep-both"}, folder.Path());
    EXPECT_EQ(std::tuple(run.exitCode, ReadText(target / "a.txt~2")), std::tuple(0, "alpha"));
    run = RunCli({"extract", archive, "a.txt", "nope", "-C", "out"}, folder.Path());
    EXPECT_EQ(std::tuple(run.exitCode, run.err), std::tuple(1, "tomelens-cli: " + archive + ": no entry \"nope\"\n"));
    run = RunCli({"extract", archive, "a.txt", "-C", "out"}, folder.Path());
    EXPECT_THAT(std::tuple(run.exitCode, run.err), ::testing::FieldsAre(1, HasSubstr("out/a.txt: already exists; skipped")));
    EXPECT_EQ(RunCli({"extract", archive, "--overwrite", "--keep-both"}).exitCode, 2);

    // script(1) runs the program on a pseudo-terminal and copies what it shows there.
    const std::string shown = (folder / "shown").string();
    EXPECT_EQ(std::system(("script -qefc '" TOMELENS_CLI_PATH " extract " + archive + " -C " + (folder / "tty").string()
                           + "' /dev/null </dev/null >" + shown).c_str()), 0);
    EXPECT_THAT(ReadText(shown), HasSubstr("[########################]  4/4"));
}

TEST_F(Extract, AHugeEntryIsStreamedAndCtrlCStopsCleanly)
{
    // 256 MiB of zeros in 8192-byte blocks: a file of about 7 MiB.
    constexpr std::uint32_t kBlocks = 32768;
    const Bytes block = Block(Deflate(Bytes(8192, 0)), 8192);
    Bytes packed;
    for (std::uint32_t i = 0; i < kBlocks; ++i)
        packed.insert(packed.end(), block.begin(), block.end());
    RawArchive raw;
    raw.records.push_back({0, raw.Append(packed), kBlocks * 8192u});
    const Bytes names = NameList({"zeros"});
    raw.records.push_back({0, raw.Append(PackBlocks(names)), static_cast<std::uint32_t>(names.size())});
    raw.WriteTo(archive);

    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"verify", archive}, Args{"extract", archive, "-C", target.string()}}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 0) << args[0] << run.err;
        EXPECT_LT(run.peakKiB, 64 * 1024) << args[0];
    }
    EXPECT_EQ(fs::file_size(target / "zeros"), kBlocks * 8192ull);

    const CliRun run = RunCli({"extract", archive, "-C", (folder / "cut").string()}, {}, 200);
    EXPECT_EQ(std::tuple(run.signal, run.err),
              std::tuple(SIGINT, "tomelens-cli: " + archive
                                     + ": interrupted; 0 of 1 files were written in full; none is left half-written\n"));
    EXPECT_THAT(FilesBelow(folder / "cut"), ElementsAre());
}

}  // namespace
