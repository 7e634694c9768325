// Changing an open archive: adding files and folders under each rule for a
// taken name, deleting, renaming, replacing data and setting checksums.
#include "core/engine/EngineTest.h"
#include "archive/CheckSum.h"
#include "engine/AddFiles.h"
#include "engine/EditEntries.h"
#include "engine/SaveArchive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace enginetest;
using namespace tomelens::core;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

const Entry kA{"a.txt", "alpha", 11}, kTwin1{"twin", "one"}, kTwin2{"twin", "two"};

struct Editing : ::testing::Test {
    Tree tree;
    fs::path archive = tree / "game.pfs";
    DataFilePtr file;

    void SetUp() override
    {
        WriteArchive(archive, {kA, kTwin1, kTwin2});
        file = Open(archive);
        fs::create_directories(tree / "in/sub/deep");
        WriteText(tree / "in/a.txt", "replacement");
        WriteText(tree / "in/new.dat", "fresh");
        WriteText(tree / "in/sub/deep/x.txt", "deep");
    }
    std::vector<AddSource> Collect(const std::optional<FileIdentity>& skip = std::nullopt)
    {
        std::vector<AddSource> sources;
        const Outcome collected = CollectFiles({(tree / "in").string()}, skip, sources);
        EXPECT_TRUE(collected.Ok()) << collected.Message();
        return sources;
    }
};

TEST_F(Editing, FoldersAreAddedWholeUnderEachRuleForATakenName)
{
    std::vector<std::string> names;
    for (const AddSource& source : Collect())
        names.push_back(source.name);
    EXPECT_THAT(names, ElementsAre("a.txt", "new.dat", "sub/deep/x.txt"));
    // The archive being written is left out when it lies in the folder.
    fs::copy_file(archive, tree / "in/out.pfs");
    EXPECT_EQ(Collect(FileIdentity::Of(tree / "in/out.pfs")).size(), 3u);
    fs::remove(tree / "in/out.pfs");

    const Entry added{"new.dat", "fresh"}, deep{"sub/deep/x.txt", "deep"};
    struct Case {
        ExistingName rule;
        std::vector<NameAnswer> answers;
        std::vector<Entry> after;
        Step step = Step::None;
    };
    const std::vector<Case> cases = {
        {ExistingName::Replace, {}, {{"a.txt", "replacement", 11}, kTwin1, kTwin2, added, deep}},
        {ExistingName::KeepBoth, {}, {kA, kTwin1, kTwin2, {"a.txt", "replacement"}, added, deep}},
        {ExistingName::Skip, {}, {kA, kTwin1, kTwin2, added, deep}},
        {ExistingName::Refuse, {}, {kA, kTwin1, kTwin2}, Step::Name},
        {ExistingName::Ask, {NameAnswer::Skip}, {kA, kTwin1, kTwin2, added, deep}},
        {ExistingName::Ask, {NameAnswer::Cancel}, {kA, kTwin1, kTwin2}, Step::Cancelled},
    };
    const std::vector<AddSource> sources = Collect();
    for (bool packedOnly : {false, true}) {
        for (const Case& c : cases) {
            file = Open(archive);
            std::size_t asked = 0;
            std::vector<std::vector<unsigned char>> store;
            AddOptions options;
            options.existing = c.rule;
            options.ask = [&](std::string_view name) {
                EXPECT_EQ(name, "a.txt");
                return c.answers.at(asked++);
            };
            options.packedStore = packedOnly ? &store : nullptr;
            const AddReport report = AddFiles(*file, sources, options);
            const int rule = static_cast<int>(c.rule);
            EXPECT_EQ(report.outcome.step, c.step) << rule << packedOnly;
            EXPECT_EQ(asked, c.answers.size()) << rule;
            EXPECT_THAT(Contents(*file), ElementsAreArray(c.after)) << rule << packedOnly;
        }
    }
    // Entries that hold only their packed bytes save like any other.
    ASSERT_TRUE(SaveArchive(*file, (tree / "saved.pfs").string(), {}).Ok());
    EXPECT_EQ(Contents(tree / "saved.pfs"), Contents(*file));
}

TEST_F(Editing, AddingAndWritingInOnePassGivesWhatAnAddAndASaveGive)
{
    // Directory order backwards (the name list in slot 0) and an empty entry.
    WriteArchive(archive, {kA, {"void", ""}, kTwin1, kTwin2}, true);
    const std::string before = ReadText(archive);
    for (const ExistingName rule : {ExistingName::Replace, ExistingName::KeepBoth, ExistingName::Skip}) {
        AddOptions options;
        options.existing = rule;
        file = Open(archive);
        ASSERT_TRUE(AddFiles(*file, Collect(), options).outcome.Ok());
        ASSERT_TRUE(SaveArchive(*file, (tree / "saved.pfs").string(), {}).Ok());
        file = Open(archive);
        ASSERT_TRUE(AddFilesAndWrite(*file, (tree / "streamed.pfs").string(), Collect(), options).outcome.Ok());
        EXPECT_TRUE(ReadText(tree / "streamed.pfs") == ReadText(tree / "saved.pfs")) << static_cast<int>(rule);
    }
    AddOptions cancelling;
    cancelling.progress = [](const Progress&) { return false; };
    file = Open(archive);
    EXPECT_TRUE(AddFilesAndWrite(*file, archive.string(), Collect(), cancelling).outcome.WasCancelled());
    EXPECT_TRUE(ReadText(archive) == before);
}

TEST_F(Editing, AnUnreadableFileOrACancelLeavesTheArchiveAsItWas)
{
    std::vector<AddSource> sources = Collect();
    sources.push_back({(tree / "missing").string(), "missing"});
    sources.push_back({(tree / "in/sub").string(), "folder"});
    AddReport report = AddFiles(*file, sources, {});
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_EQ(report.problems[0].Message(), (tree / "missing").string() + ": no such file");
    EXPECT_EQ(report.problems[1].Message(), (tree / "in/sub").string() + ": is a folder, not a file");
    EXPECT_EQ(file->GetNumEntries(), 3u);

    AddOptions cancelling;
    cancelling.progress = [](const Progress&) { return false; };
    report = AddFiles(*file, Collect(), cancelling);
    EXPECT_TRUE(report.outcome.WasCancelled());
    EXPECT_EQ(file->GetNumEntries(), 3u);
    EXPECT_THAT(Contents(*file), ElementsAre(kA, kTwin1, kTwin2));

    WriteText(tree / "in/\xC4\x80.txt", "");
    std::vector<AddSource> unused;
    EXPECT_EQ(CollectFiles({(tree / "in").string()}, std::nullopt, unused).step, Step::Name);
}

TEST_F(Editing, NamesFindDeleteAndRenameEntries)
{
    struct Find {
        std::vector<std::string> names;
        Matches matches;
        std::string failure;
        std::vector<unsigned> positions;
    };
    for (const Find& c : std::vector<Find>{{{"twin", "a.txt"}, Matches::All, "", {0, 1, 2}},
                                           {{"twin"}, Matches::One, "2 entries are named \"twin\"", {}},
                                           {{"a.txt", "nope"}, Matches::One, "no entry \"nope\"", {}}}) {
        std::vector<unsigned> positions;
        const Outcome found = FindEntries(*file, "game.pfs", c.names, c.matches, positions);
        EXPECT_EQ(found.Ok() ? "" : found.cause, c.failure);
        EXPECT_EQ(found.Ok() ? positions : std::vector<unsigned>{}, c.positions);
    }

    // Renaming onto a taken name follows the rule; the archive's own rename (KeepBoth) takes any name.
    EXPECT_EQ(RenameEntry(*file, 0, "twin", ExistingName::Refuse).cause, "the archive already has an entry \"twin\"");
    EXPECT_TRUE(RenameEntry(*file, 0, "twin", ExistingName::Skip).Ok());
    EXPECT_THAT(Contents(*file), ElementsAre(kA, kTwin1, kTwin2));
    EXPECT_TRUE(RenameEntry(*file, 1, "a.txt", ExistingName::Replace).Ok());
    EXPECT_THAT(Contents(*file), ElementsAre(Entry{"a.txt", "one"}, kTwin2));
    EXPECT_TRUE(RenameEntry(*file, 2, "a.txt", ExistingName::KeepBoth).Ok());
    EXPECT_TRUE(DeleteEntries(*file, {1, 1, 7}).Ok());
    EXPECT_THAT(Contents(*file), ElementsAre(Entry{"a.txt", "two"}));
    EXPECT_EQ(RenameEntry(*file, 1, "x", ExistingName::KeepBoth).step, Step::Refused);  // deleted
}

TEST_F(Editing, DataAndChecksumsChangeOnlyWhatTheyName)
{
    EXPECT_TRUE(ReplaceData(*file, 0, (tree / "in/new.dat").string()).Ok());
    EXPECT_EQ(ReplaceData(*file, 1, (tree / "missing").string()).cause, "no such file");
    EXPECT_TRUE(SetEntryCheckSum(*file, 1, 0xCAFEBABE).Ok());
    EXPECT_TRUE(SetEntryCheckSum(*file, 2, std::nullopt).Ok());
    EXPECT_THAT(Contents(*file), ElementsAre(Entry{"a.txt", "fresh", 11}, Entry{"twin", "one", 0xCAFEBABE},
                                             Entry{"twin", "two", CheckSum("two", 3, 0)}));
}

}  // namespace
