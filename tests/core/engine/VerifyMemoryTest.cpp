// Verify and open name what is wrong; running out of memory in any operation
// is a result like any other and changes nothing.
#include "core/engine/EngineTest.h"
#include "engine/AddFiles.h"
#include "engine/CreateArchive.h"
#include "engine/EntryData.h"
#include "engine/SaveArchive.h"
#include "engine/VerifyArchive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <tuple>

// Allocations above the limit fail while it is set: the allocator's seam.
// (The standard library's operator delete frees what malloc gave.)
static std::atomic<std::size_t> g_allocationLimit{0};

void* operator new(std::size_t size)
{
    const std::size_t limit = g_allocationLimit.load(std::memory_order_relaxed);
    if (limit != 0 && size > limit)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

using namespace enginetest;
using namespace tomelens::core;
using ::testing::ElementsAre;

namespace {

TEST(Verify, NamesEveryBadEntryWarnsOfChecksumsAndSaysWhyAFileDoesNotOpen)
{
    Tree tree;
    const fs::path bad = tree / "bad.pfs";
    WriteArchive(bad, {{"fine", "fine data", 0xc812fd3a}, {"broken", "x", 0, true}, {"stale", "data", 1}});
    VerifyReport report = VerifyArchive(bad.string(), true, {});
    EXPECT_EQ(report.outcome.Message(), bad.string() + ": 1 of 3 entries fail");
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].Message(), "entry \"broken\": packed data is corrupt");
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0].Message(), "entry \"stale\": stored checksum 00000001 is not its data's (adf3f363)");
    EXPECT_TRUE(VerifyArchive(bad.string(), false, {}).warnings.empty());

    WriteText(tree / "junk", "0123456789abcdef");
    ASSERT_EQ(mkfifo((tree / "fifo").c_str(), 0600), 0);
    std::vector<std::string> messages;
    for (const char* name : {"junk", "missing", "fifo", "."})
        messages.push_back(VerifyArchive((tree / name).string(), false, {}).outcome.cause);
    EXPECT_THAT(messages, ElementsAre("is not a valid archive", "no such file", "is not a regular file",
                                      "is a folder, not an archive"));

    // A rewrite in place between two entries' reads is noticed.
    static fs::path s_path;
    s_path = bad;
    ArchiveWatch::s_afterRead = [] { fs::last_write_time(s_path, fs::file_time_type::clock::now()); };
    report = VerifyArchive(bad.string(), false, {});
    ArchiveWatch::s_afterRead = nullptr;
    EXPECT_EQ(report.outcome.step, Step::Changed);

    // One entry read for the window: nothing of it is kept across a change.
    DataFilePtr file = Open(bad);
    const ArchiveWatch watch(*file, bad.string());
    const fs::path saved = tree / "saved";
    WriteText(saved, "before");
    std::vector<unsigned char> data{1};
    ArchiveWatch::s_afterRead = [] { fs::last_write_time(s_path, fs::file_time_type::clock::now()); };
    const Outcome kept = SaveEntryData(*file->GetEntry(0), saved.string(), &watch);
    const Outcome read = ReadEntryData(*file->GetEntry(0), data, &watch);
    ArchiveWatch::s_afterRead = nullptr;
    EXPECT_EQ(std::tuple(kept.step, read.step, data.size(), ReadText(saved)),
              std::tuple(Step::Changed, Step::Changed, 0u, "before"));
    EXPECT_THAT(FilesBelow(tree.Path()), ElementsAre("bad.pfs", "fifo", "junk", "saved"));
    ASSERT_TRUE(SaveEntryData(*file->GetEntry(0), saved.string()).Ok());
    EXPECT_EQ(ReadText(saved), "fine data");
}

TEST(OutOfMemory, BecomesAResultAndChangesNothing)
{
    Tree tree;
    const fs::path archive = tree / "game.pfs", big = tree / "big";
    WriteArchive(archive, {{"a", "1"}});
    const std::string before = ReadText(archive);
    testsupport::WriteFile(big.string(), testsupport::PatternBytes(9u << 20, 3));
    const std::vector<AddSource> sources = {{big.string(), "big"}};
    DataFilePtr file = Open(archive);

    g_allocationLimit = 4u << 20;
    const Outcome added = AddFiles(*file, sources, {}).outcome;
    const Outcome created = CreateArchive(archive.string(), sources, {});
    g_allocationLimit = 0;
    EXPECT_EQ(added.step, Step::Memory);
    EXPECT_EQ(file->GetNumEntries(), 1u);
    EXPECT_EQ(created.step, Step::Memory);

    ASSERT_TRUE(AddFiles(*file, sources, {}).outcome.Ok());
    g_allocationLimit = 4u << 20;
    const Outcome saved = SaveArchive(*file, archive.string(), {});
    g_allocationLimit = 0;
    EXPECT_EQ(saved.step, Step::Memory);
    EXPECT_EQ(ReadText(archive), before);
    EXPECT_THAT(FilesBelow(tree.Path()), ElementsAre("big", "game.pfs"));
}

}  // namespace
