#include "ArchiveLock.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#ifdef _WIN32
#include <windows.h>
#endif

using namespace tomelens::core;
using namespace std::chrono_literals;

TEST(ArchiveLock, SecondWriterWaitsThenGivesUpAndLocksTheReplacementFile)
{
    testsupport::TempDir dir;
    const auto path = dir.File("a.pfs");
    std::ofstream(path) << "old";

    ArchiveLock first, second;
    std::string error;
    ASSERT_TRUE(first.Acquire(path, 0ms, error)) << error;
    EXPECT_FALSE(second.Acquire(path, 60ms, error));
    EXPECT_NE(error.find("another program"), std::string::npos);

    // The first writer replaces the file and lets go: the second gets the new file.
    const auto before = FileIdentity::Of(path);
    std::ofstream(dir.File("new")) << "newer";
#ifdef _WIN32
    // A file held open is replaced as the library does it; a rename cannot.
    ASSERT_TRUE(::ReplaceFileW(std::filesystem::absolute(path).c_str(),
                               std::filesystem::absolute(dir.File("new")).c_str(), nullptr,
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
#else
    std::filesystem::rename(dir.File("new"), path);
#endif
    EXPECT_NE(FileIdentity::Of(path), before);
    first.Release();
    ASSERT_TRUE(second.Acquire(path, 0ms, error)) << error;
    EXPECT_FALSE(first.Acquire(path, 0ms, error));

    ArchiveLock missing;
    EXPECT_TRUE(missing.Acquire(dir.File("none.pfs"), 0ms, error));
    EXPECT_FALSE(missing.Held());
}
