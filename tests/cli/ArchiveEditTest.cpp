// Runs the commands that change archives: the result read back with the
// library, and every refused command leaving every file as it was.
#include "CliTest.h"

#include "core/engine/EngineTest.h"

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using enginetest::Contents;

namespace {

const TextEntry kA{"a.txt", "alpha", 11}, kB{"b.txt", "beta", 22}, kTwin1{"twin", "one"}, kTwin2{"twin", "two"},
    kNew{"new.dat", "fresh data"};
const std::vector<TextEntry> kOriginal = {kA, kB, kTwin1, kTwin2};

class ArchiveEdit : public ::testing::Test {
protected:
    Folder folder;
    std::string path = (folder / "game.pfs").string();
    std::string big = std::string(50000, 'z');
    std::string original;

    void SetUp() override
    {
        WriteArchive(path, kOriginal);
        original = ReadText(path);
        WriteText(folder / "new.dat", kNew.data);
        WriteText(folder / "other.dat", "more");
        WriteText(folder / "empty", "");
        std::filesystem::create_directory(folder / "sub");
        WriteText(folder / "sub" / "big.bin", big);
        WriteText(folder / "list.txt", "sub/big.bin\n");
    }
};

TEST_F(ArchiveEdit, EachCommandChangesExactlyWhatItNames)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<TextEntry> after;
        std::string file = "game.pfs";
    };
    const std::vector<Case> cases = {
        // A folder gives the files directly in it; the list adds one a line;
        // an entry is named after the file, without its folders.
        {{"create", "made.pfs", "empty", "sub", "--files-from", "list.txt"},
         {{"empty", ""}, {"big.bin", big}, {"big.bin", big}}, "made.pfs"},
        // A folder is taken whole, named by the path inside it, but never the archive being written.
        {{"create", "game.pfs", ".", "--force"},
         {{"empty", ""}, {"list.txt", "sub/big.bin\n"}, kNew, {"other.dat", "more"}, {"sub/big.bin", big}}},
        // Names typed in UTF-8 are stored in the archive's code page.
        {{"add", "game.pfs", "new.dat", "--as", "caf\xC3\xA9 \xE2\x82\xAC"},
         {kA, kB, kTwin1, kTwin2, {"caf\xE9 \x80", kNew.data}}},
        {{"add", "game.pfs", "new.dat", "other.dat"}, {kA, kB, kTwin1, kTwin2, kNew, {"other.dat", "more"}}},
        {{"delete", "game.pfs", "twin", "a.txt", "--all"}, {kB}},
        {{"rename", "game.pfs", "b.txt", "textures\\b.bmp"},
         {kA, {"textures\\b.bmp", "beta", 22}, kTwin1, kTwin2}},
        {{"replace", "game.pfs", "a.txt", "new.dat"}, {{"a.txt", kNew.data, 11}, kB, kTwin1, kTwin2}},
        {{"set-crc", "game.pfs", "a.txt", "0xCAFEBABE"}, {{"a.txt", "alpha", 0xCAFEBABE}, kB, kTwin1, kTwin2}},
    };
    for (const Case& c : cases) {
        WriteText(path, original);
        const CliRun run = RunCli(c.args, folder.Path());
        const std::string shown = testing::PrintToString(c.args);
        EXPECT_EQ(std::tuple(run.exitCode, run.out + run.err), std::tuple(0, "")) << shown;
        EXPECT_THAT(Contents(folder / c.file), ElementsAreArray(c.after)) << shown;
        std::filesystem::remove(folder / "made.pfs");
    }
}

TEST_F(ArchiveEdit, RefusedCommandsChangeNoFile)
{
    // One refusal of each kind per command path, and bad command lines (exit
    // code 2): one line on stderr, nothing on stdout, every file as it was.
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{"create", "game.pfs", "new.dat"}, 1, "game.pfs: already exists"},
        {{"create", "made.pfs", "new.dat", "missing.dat"}, 1, "missing.dat: no such file"},
        {{"create", "no-such-folder/made.pfs", "new.dat"}, 1, "no-such-folder/made.pfs: cannot be written"},
        {{"add", "game.pfs", "fifo"}, 1, "fifo: is not a regular file"},
        {{"rename", "game.pfs", "a.txt", "\xC4\x80"}, 1, "holds \xC4\x80 (U+0100), which an archive entry name cannot hold"},
        {{"add", "game.pfs", "new.dat", "new.dat", "--as", "x"}, 2, "exactly one FILE"},
        {{"add", "new.dat", "game.pfs"}, 1, "new.dat: is not a valid archive"},
        {{"delete", "game.pfs", "a.txt", "nope"}, 1, "game.pfs: no entry \"nope\""},
        {{"delete", "game.pfs", "twin"}, 1, "2 entries are named \"twin\"; give --all"},
        {{"rename", "game.pfs", "a.txt", "b.txt"}, 1, "already has an entry \"b.txt\""},
        {{"rename", "game.pfs", "twin", "x"}, 1, "2 entries are named \"twin\""},
        {{"rename", "game.pfs", "a.txt", "b", "c"}, 2, "too many arguments"},
        {{"replace", "game.pfs", "a.txt", "."}, 1, ".: is a folder, not a file"},
        {{"set-crc", "game.pfs", "a.txt", "0x1FFFFFFFF"}, 2, "is not a 32-bit value"},
        {{}, 2, "no command given"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"help", "nonsense"}, 2, "no help for 'nonsense'"},
        {{"spells", "cast", "--game-dir", "."}, 2, "unknown action 'cast'"},
        {{"spells", "list"}, 2, "--game-dir DIR is needed"},
        {{"spells", "describe", "--game-dir", ".", "Name", "--class", "Wizard"}, 2, "--class filters lists"},
    };
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    const auto filesBefore = FilesBelow(folder.Path());
    for (const auto& [args, exitCode, message] : cases) {
        const std::string shown = testing::PrintToString(args);
        const CliRun run = RunCli(args, folder.Path());
        EXPECT_EQ(run.exitCode, exitCode) << shown << run.err;
        EXPECT_THAT(run.err, AllOf(StartsWith("tomelens-cli: "), HasSubstr(message))) << shown;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << shown << run.err;
        EXPECT_EQ(run.out, "") << shown;
        EXPECT_EQ(ReadText(path), original) << shown << ": the archive was changed";
        EXPECT_EQ(FilesBelow(folder.Path()), filesBefore) << shown << ": a file was made or left behind";
    }
}

TEST_F(ArchiveEdit, ConcurrentWritersLoseNoUpdate)
{
    // Every add that succeeds adds one entry, so a lost update shows in the
    // count; a refused one must say why.
    std::atomic<unsigned> added = 0;
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < 20; ++i) {
                std::string name = "w";  // built by appending: GCC 12 at -O3 misreads "w" + string
                name.append(std::to_string(w)).append("-").append(std::to_string(i));
                WriteText(folder / name, name);
                const CliRun run = RunCli({"add", path, (folder / name).string()});
                if (run.exitCode == 0)
                    ++added;
                else
                    EXPECT_THAT(run.err, HasSubstr("another program is changing game.pfs"));
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_GT(added, 0u);
    EXPECT_EQ(Contents(path).size(), kOriginal.size() + added);
}

}  // namespace
