#include "ArchiveLock.h"
#include "archive/DMDataFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace tomelens::core;
using namespace std::chrono_literals;

TEST(ArchiveLock, SecondWriterWaitsThenGivesUpAndLocksTheReplacementFile)
{
    // A bare name in the working folder, as a command line gives it.
    testsupport::TempDir dir;
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    struct GoHome {
        std::filesystem::path folder;
        ~GoHome() { std::filesystem::current_path(folder); }
    } goHome{home};
    const std::string path = "a.pfs";
    {
        DMDataFile made;
        made.AddEntry();
        made.GetEntry(made.AddEntry())->SetData("old", 3);
        ASSERT_EQ(made.Save(path.c_str()), 0);
    }

    ArchiveLock first, second;
    std::string error;
    ASSERT_TRUE(first.Acquire(path, 0ms, error)) << error;
    EXPECT_FALSE(second.Acquire(path, 60ms, error));
    EXPECT_NE(error.find("another program"), std::string::npos);

    // The first writer saves over the archive it holds locked and open for
    // reading (which Windows refuses to a plain rename), then lets go: the
    // second gets the new file.
    const auto before = FileIdentity::Of(path);
    DMDataFile edited;
    ASSERT_EQ(edited.LoadIndex(path.c_str()), 0);
    edited.GetEntry(edited.AddEntry())->SetData("newer", 5);
    ASSERT_EQ(edited.Save(path.c_str()), 0);
    EXPECT_NE(FileIdentity::Of(path), before);
    first.Release();
    ASSERT_TRUE(second.Acquire(path, 0ms, error)) << error;
    EXPECT_FALSE(first.Acquire(path, 0ms, error));

    ArchiveLock missing;
    EXPECT_TRUE(missing.Acquire("none.pfs", 0ms, error));
    EXPECT_FALSE(missing.Held());
}
