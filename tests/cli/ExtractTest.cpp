// Runs tomelens-cli extract: what lands where, and that nothing ever lands
// outside the target folder.
#include "CliRunner.h"
#include "TestArchive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class ExtractTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string archivePath = (folder / "game.pfs").string();
    fs::path target = folder / "out";
};

TEST_F(ExtractTest, WritesEveryEntryUnderTheFolderGivenWithC)
{
    const std::string big(30000, 'q');
    TestArchive{{{"a.txt", "alpha"}, {"sub/b.bin", big}, {"c", "gamma"}}}.WriteTo(archivePath);
    const CliRun run = RunCli({"extract", archivePath, "-C", target.string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(FilesBelow(target), ElementsAre("a.txt", "c", "sub/b.bin"));
    EXPECT_EQ(ReadBytes(target / "a.txt"), "alpha");
    EXPECT_EQ(ReadBytes(target / "sub/b.bin"), big);
}

TEST_F(ExtractTest, WritesOnlyTheNamedEntriesIntoTheCurrentFolderByDefault)
{
    TestArchive{{{"a.txt", "alpha"}, {"b.txt", "beta"}, {"c.txt", "gamma"}}}.WriteTo(archivePath);
    fs::create_directory(target);
    const CliRun run = RunCli({"extract", archivePath, "c.txt", "a.txt"}, target);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(FilesBelow(target), ElementsAre("a.txt", "c.txt"));
    EXPECT_EQ(ReadBytes(target / "c.txt"), "gamma");
}

TEST_F(ExtractTest, AnUnknownNameWritesNothing)
{
    TestArchive{{{"a.txt", "alpha"}}}.WriteTo(archivePath);
    const CliRun run = RunCli({"extract", archivePath, "a.txt", "nope", "-C", target.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tomelens-cli: " + archivePath + ": no entry \"nope\"\n");
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ExtractTest, HostileNamesStayInsideTheTargetFolder)
{
    const std::vector<std::string> names = {
        "../escape1", "../../escape2", "/tmp/absolute", "\\system\\evil", "C:\\drive\\file", "a/../../up",
        "..", "", "dir\\..\\..\\x", "ok/./fine", "....//dots",
    };
    TestArchive archive;
    for (std::size_t i = 0; i < names.size(); ++i)
        archive.entries.push_back({names[i], "data" + std::to_string(i)});
    archive.WriteTo(archivePath);

    const fs::path jail = folder / "jail";
    const fs::path inside = jail / "inside";
    fs::create_directories(inside);
    const CliRun run = RunCli({"extract", archivePath, "-C", inside.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;

    // Nothing new beside the target folder or above it.
    std::vector<std::string> besides;
    for (const auto& item : fs::directory_iterator(jail))
        besides.push_back(item.path().filename().string());
    EXPECT_THAT(besides, ElementsAre("inside"));
    EXPECT_FALSE(fs::exists("/tmp/absolute"));

    // Every entry was written, each to a file of its own.
    const auto files = FilesBelow(inside);
    EXPECT_EQ(files.size(), names.size());
    // ".." maps to "__", which escape1 already made a folder, so it is numbered.
    EXPECT_THAT(files, ElementsAre("C_/drive/file", "__/__/escape2", "__/escape1", "____/dots", "__~2",
                                   "a/__/__/up", "dir/__/__/x", "ok/fine", "system/evil", "tmp/absolute",
                                   "unnamed"));
    EXPECT_EQ(ReadBytes(inside / "__/escape1"), "data0");
    EXPECT_EQ(ReadBytes(inside / "unnamed"), "data7");
    // Each changed name is reported.
    EXPECT_THAT(run.err, HasSubstr("entry \"../escape1\" written as \"__/escape1\""));
}

TEST_F(ExtractTest, NeverFollowsASymbolicLinkOutOfTheTargetFolder)
{
    TestArchive{{{"link/planted", "evil"}, {"safe", "good"}, {"file-link", "replaced"}}}.WriteTo(archivePath);
    const fs::path outside = folder / "outside";
    fs::create_directories(outside);
    fs::create_directories(target);
    fs::create_directory_symlink(outside, target / "link");
    WriteBytes(outside / "victim", "precious");
    fs::create_symlink(outside / "victim", target / "file-link");

    const CliRun run = RunCli({"extract", archivePath, "-C", target.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("is a symbolic link"));
    EXPECT_THAT(FilesBelow(outside), ElementsAre("victim"));
    EXPECT_FALSE(fs::exists(outside / "planted"));
    // The link at a file's place is replaced by the entry, not written through.
    EXPECT_EQ(ReadBytes(outside / "victim"), "precious");
    EXPECT_FALSE(fs::is_symlink(target / "file-link"));
    EXPECT_EQ(ReadBytes(target / "file-link"), "replaced");
    EXPECT_EQ(ReadBytes(target / "safe"), "good");
}

TEST_F(ExtractTest, ACorruptEntryIsReportedAndTheOthersAreStillWritten)
{
    TestArchive{{{"first", "one"}, {"broken", "two", 0, true}, {"last", "three"}}}.WriteTo(archivePath);
    const CliRun run = RunCli({"extract", archivePath, "-C", target.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tomelens-cli: " + archivePath + ": entry \"broken\": packed data is corrupt; not extracted\n");
    EXPECT_THAT(FilesBelow(target), ElementsAre("first", "last"));
    EXPECT_EQ(ReadBytes(target / "last"), "three");
}

TEST_F(ExtractTest, EntriesOfTheSameNameDoNotOverwriteEachOther)
{
    TestArchive{{{"dup", "first"}, {"dup", "second"}, {"dup~2", "third"}}}.WriteTo(archivePath);
    const CliRun run = RunCli({"extract", archivePath, "-C", target.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(FilesBelow(target), ElementsAre("dup", "dup~2", "dup~2~2"));
    EXPECT_EQ(ReadBytes(target / "dup"), "first");
    EXPECT_EQ(ReadBytes(target / "dup~2"), "second");
    EXPECT_EQ(ReadBytes(target / "dup~2~2"), "third");
}

TEST_F(ExtractTest, AFileAndAFolderOfTheSameNameBothSurvive)
{
    TestArchive{{{"a", "plain file"}, {"a/b", "needs a folder"}, {"c", "fine"}}}.WriteTo(archivePath);
    const CliRun run = RunCli({"extract", archivePath, "-C", target.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(FilesBelow(target), ElementsAre("a", "a~2/b", "c"));
    EXPECT_EQ(ReadBytes(target / "a~2/b"), "needs a folder");
}

TEST_F(ExtractTest, AFileAlreadyInTheWayOfAFolderFailsOnlyThatEntry)
{
    TestArchive{{{"a/b", "needs a folder"}, {"c", "fine"}}}.WriteTo(archivePath);
    fs::create_directories(target);
    WriteBytes(target / "a", "was here before");
    const CliRun run = RunCli({"extract", archivePath, "-C", target.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("exists and is not a folder"));
    EXPECT_EQ(ReadBytes(target / "a"), "was here before");
    EXPECT_EQ(ReadBytes(target / "c"), "fine");
}

TEST_F(ExtractTest, ShowsAProgressBarOnlyWhenStderrIsATerminal)
{
    TestArchive{{{"one", "1"}, {"two", "2"}}}.WriteTo(archivePath);
    const CliRun piped = RunCli({"extract", archivePath, "-C", target.string()});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, "");

    const CliRun terminal = RunCliWithTerminalStderr({"extract", archivePath, "-C", (folder / "tty").string()});
    EXPECT_EQ(terminal.exitCode, 0);
    EXPECT_THAT(terminal.err, HasSubstr("2/2"));
    EXPECT_THAT(terminal.err, HasSubstr("[########################]"));
    EXPECT_EQ(ReadBytes(folder / "tty" / "two"), "2");
}

}  // namespace
