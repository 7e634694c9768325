// Runs tomelens-cli extract: what lands where, and that nothing ever lands
// outside the target folder.
#include "CliTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

    CliRun ExtractAll(const std::vector<TextEntry>& entries)
    {
        WriteArchive(archive, entries);
        return RunCli({"extract", archive, "-C", target.string()});
    }
};

TEST_F(Extract, WritesEveryEntryOrOnlyTheNamedOnesWithAProgressBarOnlyOnATerminal)
{
    const std::string big(30000, 'q');
    // File names are the entry names in UTF-8, and names are typed in UTF-8.
    const std::string utf8Name = "c\xC3\xA9.txt";
    const CliRun run = ExtractAll({{"a.txt", "alpha"}, {"sub/b.bin", big}, {"c\xE9.txt", "gamma"}});
    EXPECT_EQ(std::tuple(run.exitCode, run.out + run.err), std::tuple(0, ""));
    EXPECT_THAT(FilesBelow(target), ElementsAre("a.txt", utf8Name, "sub/b.bin"));
    EXPECT_EQ(ReadText(target / "sub/b.bin"), big);
    // script(1) runs the program on a pseudo-terminal and copies what it shows there.
    const std::string shown = (folder / "shown").string();
    EXPECT_EQ(std::system(("script -qefc '" TOMELENS_CLI_PATH " extract " + archive + " -C " + (folder / "tty").string()
                           + "' /dev/null </dev/null >" + shown).c_str()), 0);
    EXPECT_THAT(ReadText(shown), HasSubstr("[########################]  3/3"));

    const fs::path here = folder / "here";
    fs::create_directory(here);
    EXPECT_EQ(RunCli({"extract", archive, utf8Name}, here).exitCode, 0);
    EXPECT_THAT(FilesBelow(here), ElementsAre(utf8Name));
    EXPECT_EQ(ReadText(here / utf8Name), "gamma");

    // An unknown name among them writes nothing at all.
    const CliRun unknown = RunCli({"extract", archive, "a.txt", "nope", "-C", (folder / "none").string()});
    EXPECT_EQ(std::tuple(unknown.exitCode, unknown.err),
              std::tuple(1, "tomelens-cli: " + archive + ": no entry \"nope\"\n"));
    EXPECT_FALSE(fs::exists(folder / "none"));
}

TEST_F(Extract, HostileNamesStayInsideTheTargetFolder)
{
    const std::vector<std::string> names = {
        "../escape1", "../../escape2", "/tmp/absolute", "\\system\\evil", "C:\\drive\\file", "a/../../up",
        "..", "", "dir\\..\\..\\x", "ok/./fine", "....//dots",
    };
    std::vector<TextEntry> entries;
    for (std::size_t i = 0; i < names.size(); ++i)
        entries.push_back({names[i], "data" + std::to_string(i)});
    target = folder / "jail" / "inside";
    fs::create_directories(target);
    const CliRun run = ExtractAll(entries);
    EXPECT_EQ(run.exitCode, 0) << run.err;

    // Nothing new beside the target folder or above it, and every entry has a
    // file of its own: ".." maps to "__", which escape1 already made a folder.
    for (const std::string& file : FilesBelow(folder.Path()))
        EXPECT_TRUE(file == "game.pfs" || file.starts_with("jail/inside/")) << file;
    EXPECT_FALSE(fs::exists("/tmp/absolute"));
    EXPECT_EQ(FilesBelow(target).size(), names.size());
    EXPECT_THAT(run.err, HasSubstr("entry \"../escape1\" written as \"__/escape1\""));
}

TEST_F(Extract, NeverFollowsASymbolicLinkOutOfTheTargetFolder)
{
    const fs::path outside = folder / "outside";
    fs::create_directories(outside);
    fs::create_directories(target);
    fs::create_directory_symlink(outside, target / "link");
    WriteText(outside / "victim", "precious");
    fs::create_symlink(outside / "victim", target / "file-link");

    CliRun run = ExtractAll({{"link/planted", "evil"}, {"safe", "good"}, {"file-link", "replaced"}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("\"link\" is a symbolic link"));
    // What is in the way already is listed as skipped, not replaced.
    EXPECT_THAT(run.err, HasSubstr("file-link: already exists; skipped entry \"file-link\""));
    EXPECT_TRUE(fs::is_symlink(target / "file-link"));
    EXPECT_EQ(ReadText(target / "safe"), "good");

    // --overwrite replaces the link at a file's place by the entry, never writing through it.
    run = RunCli({"extract", archive, "file-link", "--overwrite", "-C", target.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(FilesBelow(outside), ElementsAre("victim"));
    EXPECT_EQ(ReadText(outside / "victim"), "precious");
    EXPECT_FALSE(fs::is_symlink(target / "file-link"));
    EXPECT_EQ(ReadText(target / "file-link"), "replaced");
}

TEST_F(Extract, VerifyAndExtractStreamAnEntryOfHugeDeclaredLength)
{
    // 256 MiB of zeros in 8192-byte blocks: a file of about 7 MiB.
    constexpr std::uint32_t kBlocks = 32768;
    const testsupport::Bytes zeros(8192, 0);
    const testsupport::Bytes block = testsupport::Block(testsupport::Deflate(zeros), 8192);
    testsupport::Bytes packed;
    packed.reserve(block.size() * kBlocks);
    for (std::uint32_t i = 0; i < kBlocks; ++i)
        packed.insert(packed.end(), block.begin(), block.end());
    testsupport::RawArchive raw;
    raw.records.push_back({0, raw.Append(packed), kBlocks * 8192u});
    const testsupport::Bytes names = testsupport::NameList({"zeros"});
    raw.records.push_back({0, raw.Append(testsupport::PackBlocks(names)), static_cast<std::uint32_t>(names.size())});
    raw.WriteTo(archive);

    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"verify", archive}, Args{"extract", archive, "-C", target.string()}}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 0) << args[0] << run.err;
        EXPECT_LT(run.peakKiB, 64 * 1024) << args[0];
    }
    EXPECT_EQ(fs::file_size(target / "zeros"), kBlocks * 8192ull);
}

TEST_F(Extract, AFailingEntryIsReportedAndTheOthersAreStillWritten)
{
    // Beside the archive, which is never written over, not even with --overwrite.
    WriteArchive(archive, {{"first", "one"}, {"broken", "two", 0, true}, {"game.pfs", "not an archive"}, {"last", "3"}});
    const std::string before = ReadText(archive);
    const CliRun run = RunCli({"extract", archive, "--overwrite", "-C", folder.Path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(Lines(run.err),
                ElementsAre("tomelens-cli: " + archive + ": entry \"broken\": packed data is corrupt; not extracted",
                            HasSubstr("is the archive being read; skipped entry \"game.pfs\"")));
    EXPECT_EQ(ReadText(archive), before);
    EXPECT_THAT(FilesBelow(folder.Path()), ElementsAre("first", "game.pfs", "last"));
}

}  // namespace
