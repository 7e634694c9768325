// Runs the commands that change archives: the result read back with the
// library, and every refused command leaving the archive's bytes as they were.
#include "CliRunner.h"
#include "TestArchive.h"

#include "archive/DMDataFile.h"
#include "archive/DMDataFileEntry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct Loaded {
    std::string name;
    std::string data;
    unsigned checkSum;
    bool operator==(const Loaded&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Loaded& entry)
{
    return out << "{" << entry.name << ", " << entry.data.size() << " bytes, " << entry.checkSum << "}";
}

// The archive's visible entries in data order, read with the library.
std::vector<Loaded> Contents(const std::string& path)
{
    DMDataFile* file = CreateDMDataFile(nullptr);
    std::vector<Loaded> entries;
    if (file->Load(path.c_str()) == 0) {
        for (unsigned i = 0; i < file->GetNumEntries(); ++i) {
            DMDataFileEntry* entry = file->GetEntry(i);
            std::string data(entry->GetLength(), '\0');
            if (entry->GetData(data.data()) != 0)
                data = "<corrupt>";
            entries.push_back({entry->GetName(), data, entry->GetCheckSum()});
        }
    } else {
        entries.push_back({"<not an archive>", "", 0});
    }
    DestroyDMDataFile(file);
    return entries;
}

class ArchiveEditTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = (folder / "game.pfs").string();
    std::string original;

    void SetUp() override
    {
        TestArchive{{{"a.txt", "alpha", 11}, {"b.txt", "beta", 22}, {"twin", "one"}, {"twin", "two"}}}
            .WriteTo(path);
        original = ReadBytes(path);
        WriteBytes(folder / "new.dat", "fresh data");
    }

    // A refused command: the exit code, a message naming what is wrong, and
    // the archive byte for byte as before.
    void ExpectRefused(const std::vector<std::string>& args, int exitCode, const std::string& message)
    {
        const CliRun run = RunCli(args, folder.Path());
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        EXPECT_THAT(run.err, HasSubstr(message));
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(ReadBytes(path), original) << "the archive was changed";
        const auto leftovers = FilesBelow(folder.Path());
        EXPECT_THAT(leftovers, ElementsAre("game.pfs", "new.dat")) << "a temporary file was left behind";
    }
};

TEST_F(ArchiveEditTest, CreateMakesAnArchiveOfTheFilesUnderTheirOwnNames)
{
    fs::create_directory(folder / "sub");
    const std::string big(50000, 'z');
    WriteBytes(folder / "sub" / "big.bin", big);
    WriteBytes(folder / "empty", "");
    const CliRun run = RunCli({"create", "made.pfs", "new.dat", "sub/big.bin", "empty"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_THAT(Contents((folder / "made.pfs").string()),
                ElementsAre(Loaded{"new.dat", "fresh data", 0}, Loaded{"big.bin", big, 0}, Loaded{"empty", "", 0}));
}

TEST_F(ArchiveEditTest, CreateRefusesToReplaceAnArchiveUnlessForced)
{
    ExpectRefused({"create", "game.pfs", "new.dat"}, 1, "game.pfs: already exists");
    const CliRun forced = RunCli({"create", "game.pfs", "new.dat", "--force"}, folder.Path());
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_THAT(Contents(path), ElementsAre(Loaded{"new.dat", "fresh data", 0}));
}

TEST_F(ArchiveEditTest, CreateWithAnUnreadableFileWritesNothing)
{
    const CliRun run = RunCli({"create", "made.pfs", "new.dat", "missing.dat"}, folder.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tomelens-cli: missing.dat: no such file\n");
    EXPECT_FALSE(fs::exists(folder / "made.pfs"));

    const CliRun nowhere = RunCli({"create", "no-such-folder/made.pfs", "new.dat"}, folder.Path());
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_THAT(nowhere.err, HasSubstr("no-such-folder/made.pfs: cannot be written"));
}

TEST_F(ArchiveEditTest, AddAppendsEntriesAndKeepsTheOthers)
{
    WriteBytes(folder / "other.dat", "more");
    CliRun run = RunCli({"add", "game.pfs", "new.dat", "other.dat"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    run = RunCli({"add", "game.pfs", "new.dat", "--as", "renamed\\inside.dat"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(Contents(path), ElementsAre(Loaded{"a.txt", "alpha", 11}, Loaded{"b.txt", "beta", 22},
                                            Loaded{"twin", "one", 0}, Loaded{"twin", "two", 0},
                                            Loaded{"new.dat", "fresh data", 0}, Loaded{"other.dat", "more", 0},
                                            Loaded{"renamed\\inside.dat", "fresh data", 0}));
}

TEST_F(ArchiveEditTest, AddRefusesBadInput)
{
    ExpectRefused({"add", "game.pfs", "new.dat", "missing.dat"}, 1, "missing.dat: no such file");
    ExpectRefused({"add", "game.pfs", "."}, 1, ".: is a folder, not a file");
    ExpectRefused({"add", "game.pfs", "new.dat", "new.dat", "--as", "x"}, 2, "exactly one FILE");
    ExpectRefused({"add", "new.dat", "game.pfs"}, 1, "new.dat: is not a valid archive");
}

TEST_F(ArchiveEditTest, DeleteRemovesEveryEntryOfEachName)
{
    const CliRun run = RunCli({"delete", "game.pfs", "twin", "a.txt"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(Contents(path), ElementsAre(Loaded{"b.txt", "beta", 22}));
}

TEST_F(ArchiveEditTest, DeleteOfAnUnknownNameDeletesNothing)
{
    ExpectRefused({"delete", "game.pfs", "a.txt", "nope"}, 1, "game.pfs: no entry \"nope\"");
}

TEST_F(ArchiveEditTest, RenameChangesOnlyTheName)
{
    const CliRun run = RunCli({"rename", "game.pfs", "b.txt", "textures/b.bmp"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(Contents(path), ElementsAre(Loaded{"a.txt", "alpha", 11}, Loaded{"textures/b.bmp", "beta", 22},
                                            Loaded{"twin", "one", 0}, Loaded{"twin", "two", 0}));
}

TEST_F(ArchiveEditTest, RenameRefusesUnknownAndAmbiguousNames)
{
    ExpectRefused({"rename", "game.pfs", "nope", "x"}, 1, "no entry \"nope\"");
    ExpectRefused({"rename", "game.pfs", "twin", "x"}, 1, "2 entries are named \"twin\"");
    ExpectRefused({"rename", "game.pfs", "a.txt"}, 2, "missing arguments");
    ExpectRefused({"rename", "game.pfs", "a.txt", "b", "c"}, 2, "too many arguments");
}

TEST_F(ArchiveEditTest, ReplaceTakesTheFilesDataAndKeepsNameAndChecksum)
{
    const CliRun run = RunCli({"replace", "game.pfs", "a.txt", "new.dat"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Contents(path).front(), (Loaded{"a.txt", "fresh data", 11}));
    original = ReadBytes(path);
    ExpectRefused({"replace", "game.pfs", "twin", "new.dat"}, 1, "2 entries are named");
}

TEST_F(ArchiveEditTest, ReplaceWithAMissingFileChangesNothing)
{
    ExpectRefused({"replace", "game.pfs", "a.txt", "missing.dat"}, 1, "missing.dat: no such file");
    ExpectRefused({"replace", "game.pfs", "nope", "new.dat"}, 1, "no entry \"nope\"");
}

TEST_F(ArchiveEditTest, SetCrcTakesDecimalAndHexValues)
{
    CliRun run = RunCli({"set-crc", "game.pfs", "a.txt", "0xCAFEBABE"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    run = RunCli({"set-crc", "game.pfs", "b.txt", "4294967295"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto entries = Contents(path);
    EXPECT_EQ(entries[0], (Loaded{"a.txt", "alpha", 0xCAFEBABE}));
    EXPECT_EQ(entries[1], (Loaded{"b.txt", "beta", 4294967295u}));
}

TEST_F(ArchiveEditTest, SetCrcRefusesValuesThatAreNot32BitNumbers)
{
    for (const char* value : {"4294967296", "0x1FFFFFFFF", "12abc", "0x", "", " 5", "+5"})
        ExpectRefused({"set-crc", "game.pfs", "a.txt", value}, 2, "is not a 32-bit value");
    ExpectRefused({"set-crc", "--", "game.pfs", "a.txt", "-1"}, 2, "is not a 32-bit value");
    ExpectRefused({"set-crc", "game.pfs", "twin", "5"}, 1, "2 entries are named");
}

TEST_F(ArchiveEditTest, EditingAFileThatIsNotAnArchiveLeavesItAlone)
{
    WriteBytes(path, "this is not an archive at all");
    original = ReadBytes(path);
    ExpectRefused({"delete", "game.pfs", "a.txt"}, 1, "game.pfs: is not a valid archive");
    ExpectRefused({"set-crc", "game.pfs", "a.txt", "1"}, 1, "game.pfs: is not a valid archive");
}

TEST_F(ArchiveEditTest, ANameStartingWithADashIsReachedAfterDoubleDash)
{
    CliRun run = RunCli({"add", "game.pfs", "new.dat", "--as", "-odd"}, folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = RunCli({"delete", "game.pfs", "-odd"}, folder.Path());
    EXPECT_EQ(run.exitCode, 2);
    run = RunCli({"delete", "--", "game.pfs", "-odd"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Contents(path).size(), 4u);
}

}  // namespace
