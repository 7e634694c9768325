// Writing archives: create streams what a save would write, and neither a
// cancel at any point nor a failure leaves anything behind.
#include "core/engine/EngineTest.h"
#include "archive/DMResultCodes.h"
#include "engine/CreateArchive.h"
#include "engine/SaveArchive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

using namespace enginetest;
using namespace tomelens::core;

namespace {

struct Writing : ::testing::Test {
    Tree tree;
    fs::path target = tree / "out/made.pfs";
    std::vector<AddSource> sources;

    void SetUp() override { fs::create_directories(tree / "out"); }
    void AddFile(const std::string& name, const testsupport::Bytes& bytes)
    {
        testsupport::WriteFile((tree / name).string(), bytes);
        sources.push_back({(tree / name).string(), name});
    }
    // A callback that stops at its n-th call; each call lasts past the
    // reporter's interval, so every step of the work calls it.
    static ProgressCallback StopAtCall(int n, int& calls)
    {
        calls = 0;
        return [n, &calls](const Progress&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            return ++calls != n;
        };
    }
};

TEST_F(Writing, CreateWritesExactlyWhatANewContainerSaves)
{
    // Empty entries in a row, at the start and the end; one entry crossing
    // the writer's batches with a partial block; blocks split anywhere.
    AddFile("e1", {});
    // Mostly zeros, to pack fast, but no two blocks alike.
    testsupport::Bytes big(9 * 1024 * 1024 + 100, 0);
    for (std::size_t at = 0; at + 4 <= big.size(); at += 4096)
        std::memcpy(big.data() + at, &at, 4);
    AddFile("big", big);
    AddFile("e2", {});
    AddFile("e3", {});
    AddFile("noise", testsupport::PatternBytes(20000, 2));
    AddFile("e4", {});
    ASSERT_TRUE(CreateArchive(target.string(), sources, {}).Ok());

    DataFilePtr file = NewDataFile();
    file->AddEntry();
    for (const AddSource& source : sources) {
        DMDataFileEntry* entry = file->GetEntry(file->AddEntry());
        entry->SetName(source.name.c_str());
        ASSERT_EQ(entry->LoadData(source.path.c_str()), DMResult::Success);
    }
    ASSERT_EQ(file->Save((tree / "saved.pfs").c_str()), DMResult::Success);
    EXPECT_TRUE(testsupport::ReadFile(target.string()) == testsupport::ReadFile((tree / "saved.pfs").string()));
    EXPECT_EQ(Contents(target).size(), sources.size());
}

TEST_F(Writing, ACancelAtAnyStepOrAFailureLeavesTheTargetAsItWas)
{
    for (const char* name : {"f0", "f1", "f2"})
        AddFile(name, testsupport::PatternBytes(1536 * 1024, name[1] - '0', 8));
    WriteArchive(target, {{"old", "kept"}});
    const std::string before = ReadText(target);
    int calls = 0;
    ASSERT_TRUE(CreateArchive((tree / "out/full.pfs").string(), sources, StopAtCall(0, calls)).Ok());
    const int steps = calls;
    fs::remove(tree / "out/full.pfs");
    ASSERT_GT(steps, 4);
    for (int stop : {1, 2, steps / 2, steps - 1, steps}) {
        EXPECT_TRUE(CreateArchive(target.string(), sources, StopAtCall(stop, calls)).WasCancelled()) << stop;
        EXPECT_TRUE(ReadText(target) == before) << stop;
    }

    // The same for a save: open, change every entry, save over the file.
    DataFilePtr file = Open(target);
    const unsigned added = file->AddEntry();
    file->GetEntry(added)->SetName("new");
    ASSERT_EQ(file->GetEntry(added)->LoadData(sources[0].path.c_str()), DMResult::Success);
    // Packing comes first and is stopped as readily as the writing; the last
    // call comes after the file is in place, too late to stop anything.
    ASSERT_TRUE(SaveArchive(*file, (tree / "out/full.pfs").string(), StopAtCall(0, calls)).Ok());
    const int saveSteps = calls;
    fs::remove(tree / "out/full.pfs");
    ASSERT_GT(saveSteps, 6);
    for (int stop : {1, saveSteps / 2, saveSteps - 1}) {
        EXPECT_TRUE(SaveArchive(*file, target.string(), StopAtCall(stop, calls)).WasCancelled()) << stop;
        EXPECT_TRUE(ReadText(target) == before) << stop;
    }

    sources.push_back({(tree / "missing").string(), "missing"});
    EXPECT_EQ(CreateArchive(target.string(), sources, {}).Message(), (tree / "missing").string() + ": no such file");
    EXPECT_EQ(ReadText(target), before);
    EXPECT_THAT(FilesBelow(tree / "out"), ::testing::ElementsAre("made.pfs"));
    EXPECT_EQ(CreateArchive((tree / "none/x.pfs").string(), {}, {}).step, Step::Write);
}

TEST_F(Writing, CreateMemoryStaysFlatWhateverTheInputSize)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory, so resident size says nothing here";
#endif
    // 96 MiB of zeros (a sparse file): held whole, it would need more than the bound.
    const fs::path zeros = tree / "zeros";
    { std::FILE* f = std::fopen(zeros.c_str(), "wb"); std::fclose(f); }
    fs::resize_file(zeros, 96u << 20);
    sources.push_back({zeros.string(), "zeros"});
    const pid_t child = fork();
    if (child == 0)
        _exit(CreateArchive(target.string(), sources, {}).Ok() ? 0 : 1);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(usage.ru_maxrss, 64 * 1024);
    EXPECT_EQ(Contents(target).front().data.size(), 96u << 20);
}

TEST_F(Writing, ASaveOfAnArchiveRewrittenSinceItWasOpenedIsRefused)
{
    WriteArchive(target, {{"a", "1"}, {"b", "2"}});
    DataFilePtr file = Open(target);
    ArchiveWatch watch(*file, target.string());
    ASSERT_TRUE(SaveArchive(*file, {}, {}, &watch).Ok());
    ASSERT_TRUE(watch.Check().Ok());  // our own save is no change by another program
    const std::string ours = ReadText(target);
    file = Open(target);
    watch.Start(*file, target.string());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::FILE* in = std::fopen(target.c_str(), "r+b");  // rewritten in place, not replaced
    std::fputs("x", in);
    std::fclose(in);
    EXPECT_EQ(SaveArchive(*file, {}, {}, &watch).step, Step::Changed);
    EXPECT_EQ(ReadText(target)[0], 'x');
    EXPECT_EQ(ReadText(target).substr(1), ours.substr(1));

    // Rewritten while the save copies from it: the new file never takes its place.
    WriteArchive(target, {{"a", "1"}, {"b", "2"}});
    file = Open(target);
    watch.Start(*file, target.string());
    const std::string rewritten = ReadText(target);
    const auto touch = [&](const Progress&) {
        fs::last_write_time(target, fs::file_time_type::clock::now());
        return true;
    };
    EXPECT_EQ(SaveArchive(*file, {}, touch, &watch).step, Step::Changed);
    EXPECT_TRUE(ReadText(target) == rewritten);
}

}  // namespace
