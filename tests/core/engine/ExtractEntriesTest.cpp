// Extracting: where files land, what is in the way, and stopping halfway.
#include "core/engine/EngineTest.h"
#include "engine/ExtractEntries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

using namespace enginetest;
using namespace tomelens::core;
using ::testing::ElementsAre;
using Kind = ExtractNote::Kind;

namespace {

// "f<i>", built by appending: GCC 12 misreads "f" + std::string in optimised builds.
std::string FileName(int i)
{
    std::string name = "f";
    name += std::to_string(i);
    return name;
}

struct Extraction : ::testing::Test {
    Tree tree;
    fs::path archive = tree / "game.pfs";
    fs::path out = tree / "out";

    ExtractReport Extract(ExtractOptions options, const std::vector<Entry>& entries)
    {
        WriteArchive(archive, entries);
        file = Open(archive);
        options.folder = out;
        options.archivePath = archive.string();
        return ExtractEntries(*file, LiveEntries(*file), options);
    }
    std::vector<std::pair<Kind, std::string>> Notes(const ExtractReport& report) const
    {
        std::vector<std::pair<Kind, std::string>> notes;
        for (const ExtractNote& note : report.notes)
            notes.emplace_back(note.kind, note.path);
        return notes;
    }
    DataFilePtr file;
};

TEST_F(Extraction, KeepsFoldersMakesNamesSafeAndGoesOnPastAFailingEntry)
{
    fs::create_directories(out);
    fs::create_directory_symlink(tree.Path(), out / "link");
    archive = out / "game.pfs";  // never written over, though an entry has its name
    const std::string big(30000, 'q');
    const ExtractReport report = Extract({}, {{"sub\\b.bin", big}, {"../up", "1"}, {"c\x81\x9D.txt", "2"},
                                              {"broken", "3", 0, true}, {"link/planted", "4"}, {"", "5"},
                                              {"game.pfs", "6"}, {"last", "7"}});
    // The five bytes the code page leaves unassigned are control characters
    // to a terminal: they become '_' like any other.
    EXPECT_THAT(Notes(report),
                ElementsAre(std::pair(Kind::Renamed, "sub/b.bin"), std::pair(Kind::Renamed, "__/up"),
                            std::pair(Kind::Renamed, "c__.txt"), std::pair(Kind::ReadFailed, "broken"),
                            std::pair(Kind::WriteFailed, "link/planted"), std::pair(Kind::Renamed, "unnamed"),
                            std::pair(Kind::Protected, "game.pfs")));
    EXPECT_THAT(FilesBelow(out), ElementsAre("__/up", "c__.txt", "game.pfs", "last", "link", "sub/b.bin", "unnamed"));
    EXPECT_EQ(ReadText(out / "sub/b.bin"), big);
    EXPECT_EQ(report.outcome.subject, "entry \"broken\"");
    EXPECT_EQ(report.outcome.cause, "packed data is corrupt");
    EXPECT_EQ(report.outcome.done, 5u);
    EXPECT_THAT(report.notes[4].cause, ::testing::HasSubstr("symbolic link"));
    EXPECT_EQ(FilesBelow(tree.Path()).size(), FilesBelow(out).size());  // nothing outside
}

TEST_F(Extraction, AFileInTheWayIsTreatedAsTheRuleOrTheUserSays)
{
    struct Case {
        ExistingFile rule;
        std::vector<FileAnswer> answers;
        std::string a, a2;  // a.txt and a.txt~2 afterwards
        Step step;
        std::vector<std::pair<Kind, std::string>> notes;
        std::size_t asked;
    };
    const std::vector<Case> cases = {
        {ExistingFile::Refuse, {}, "old", "", Step::Write, {{Kind::Exists, "a.txt"}}, 0},
        {ExistingFile::Skip, {}, "old", "", Step::None, {{Kind::Skipped, "a.txt"}}, 0},
        {ExistingFile::Overwrite, {}, "new", "", Step::None, {}, 0},
        {ExistingFile::KeepBoth, {}, "old", "new", Step::None, {{Kind::Renamed, "a.txt~2"}}, 0},
        {ExistingFile::Ask, {FileAnswer::Overwrite}, "new", "", Step::None, {}, 1},
        {ExistingFile::Ask, {FileAnswer::SkipAll}, "old", "", Step::None, {{Kind::Skipped, "a.txt"}}, 1},
        {ExistingFile::Ask, {FileAnswer::KeepBoth}, "old", "new", Step::None, {{Kind::Renamed, "a.txt~2"}}, 1},
        {ExistingFile::Ask, {FileAnswer::Cancel}, "old", "", Step::Cancelled, {}, 1},
    };
    for (const Case& c : cases) {
        fs::remove_all(out);
        fs::create_directories(out);
        WriteText(out / "a.txt", "old");
        std::size_t asked = 0;
        ExtractOptions options;
        options.existing = c.rule;
        options.ask = [&](const std::string& path) {
            EXPECT_EQ(path, (out / "a.txt").string());
            return c.answers.at(asked++);
        };
        const ExtractReport report = Extract(options, {{"a.txt", "new"}});
        const int rule = static_cast<int>(c.rule);
        EXPECT_EQ(report.outcome.step, c.step) << rule;
        EXPECT_EQ(Notes(report), c.notes) << rule;
        EXPECT_EQ(ReadText(out / "a.txt"), c.a) << rule;
        EXPECT_EQ(ReadText(out / "a.txt~2"), c.a2) << rule;
        EXPECT_EQ(asked, c.asked) << rule;
    }
}

TEST_F(Extraction, ACancelKeepsTheCompleteFilesAndCountsThem)
{
    std::vector<Entry> entries;
    for (int i = 0; i < 12; ++i)
        entries.push_back({FileName(i), testsupport::ToString(testsupport::PatternBytes(200000, i))});
    for (const std::uint64_t stopAt : {0ull, 600000ull, 1800000ull}) {
        fs::remove_all(out);
        ExtractOptions options;
        options.progress = [&](const Progress& progress) { return progress.bytesDone < stopAt; };
        const ExtractReport report = Extract(options, entries);
        ASSERT_TRUE(report.outcome.WasCancelled()) << stopAt;
        const std::vector<std::string> files = FilesBelow(out);
        EXPECT_EQ(files.size(), report.outcome.done) << stopAt;
        for (const std::string& name : files)
            EXPECT_EQ(ReadText(out / name), entries.at(std::stoul(name.substr(1))).data) << stopAt << name;
        if (stopAt == 0) {
            EXPECT_TRUE(files.empty());
        }
    }
}

TEST_F(Extraction, AnArchiveRewrittenInPlaceMidwayStopsItAndNoMixedFileRemains)
{
    std::vector<Entry> entries;
    for (int i = 0; i < 8; ++i)
        entries.push_back({FileName(i), std::string(50000, static_cast<char>('a' + i))});
    WriteArchive(archive, entries);
    static fs::path s_archive;
    s_archive = archive;
    ArchiveWatch::s_afterRead = [] {
        // Written over in place, as `dd conv=notrunc` does: the same file, new times.
        static bool done = false;
        if (std::exchange(done, true))
            return;
        testsupport::Bytes bytes = testsupport::ReadFile(s_archive.string());
        std::FILE* file = std::fopen(s_archive.c_str(), "r+b");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    };
    file = Open(archive);
    const ArchiveWatch watch(*file, archive.string());
    ExtractOptions options;
    options.folder = out;
    const ExtractReport report = ExtractEntries(*file, LiveEntries(*file), options, &watch);
    ArchiveWatch::s_afterRead = nullptr;

    EXPECT_EQ(report.outcome.Message(), archive.string() + " was changed by another program while it was being read");
    const std::vector<std::string> files = FilesBelow(out);
    EXPECT_EQ(files.size(), report.outcome.done);
    EXPECT_LT(files.size(), entries.size());
    for (const std::string& name : files)
        EXPECT_EQ(ReadText(out / name), entries.at(std::stoul(name.substr(1))).data);
}

}  // namespace
