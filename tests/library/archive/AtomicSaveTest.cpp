// Saving never damages what is already on disk: a failed write leaves the old
// file byte for byte and no temporary file behind.
#include "ArchiveTestSupport.h"

#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>

using namespace archivetest;

namespace {

// Makes every write past `bytes` into a regular file fail, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool Active() const { return m_active; }

private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

Bytes Noise(std::size_t size)
{
    std::mt19937 random(42);
    Bytes bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<unsigned char>(random());
    return bytes;
}

class AtomicSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        original = MakeArchive({{"one", ToBytes("first"), 1}, {"two", Noise(30000), 2}}).Serialize();
        WriteFile(path, original);
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
    }

    TempDir dir;
    std::string path = dir.File("game.dat");
    Bytes original;
    DMDataFile archive{nullptr};
};

TEST_F(AtomicSave, AFailedWriteLeavesTheOldArchiveAlone)
{
    const Bytes bigger = Noise(200000);
    archive.GetEntry(0)->SetData(bigger.data(), static_cast<unsigned>(bigger.size()));
    {
        FileSizeLimit limit(100000);
        ASSERT_TRUE(limit.Active());
        EXPECT_EQ(archive.Save(nullptr), DMResult::ShortWrite);
    }
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ((std::vector<std::string>{"game.dat"}), dir.List());

    // Nothing was lost in memory either: the next save goes through.
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);
    DMDataFile reloaded(nullptr);
    ASSERT_EQ(reloaded.Load(path.c_str()), DMResult::Success);
    const auto entries = Snapshot(reloaded);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].data, bigger);
    EXPECT_EQ(entries[1].data, Noise(30000));
}

TEST_F(AtomicSave, AFailedWriteCreatesNoNewFile)
{
    const std::string target = dir.File("new.dat");
    {
        FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Active());
        EXPECT_EQ(archive.Save(target.c_str()), DMResult::ShortWrite);
    }
    EXPECT_EQ((std::vector<std::string>{"game.dat"}), dir.List());
}

TEST_F(AtomicSave, AnUnopenableTargetIsReportedAndNothingCreated)
{
    EXPECT_EQ(archive.Save(dir.File("missing/dir/game.dat").c_str()), DMResult::CannotOpen);
    EXPECT_EQ(archive.Save(dir.Path().c_str()), DMResult::CannotOpen) << "a directory is not replaced";
    EXPECT_EQ(archive.Save((dir.Path() + "/").c_str()), DMResult::CannotOpen);
    EXPECT_EQ((std::vector<std::string>{"game.dat"}), dir.List());
    EXPECT_EQ(ReadFile(path), original);
}

TEST_F(AtomicSave, ExportingEntryDataIsAtomicToo)
{
    const std::string target = dir.File("export.bin");
    WriteFile(target, ToBytes("previous export"));
    {
        FileSizeLimit limit(10000);
        ASSERT_TRUE(limit.Active());
        EXPECT_EQ(archive.GetEntry(1)->SaveData(target.c_str()), DMResult::ShortWrite);
    }
    EXPECT_EQ(ReadFile(target), ToBytes("previous export"));
    EXPECT_EQ((std::vector<std::string>{"export.bin", "game.dat"}), dir.List());
    ASSERT_EQ(archive.GetEntry(1)->SaveData(target.c_str()), DMResult::Success);
    EXPECT_EQ(ReadFile(target), Noise(30000));
}

TEST_F(AtomicSave, EntryDataCanStillGoToADevice)
{
    // Not a regular file: written directly instead of renamed over.
    EXPECT_EQ(archive.GetEntry(1)->SaveData("/dev/null"), DMResult::Success);
}

}  // namespace
