#include "core/engine/EngineTest.h"

#include <gtest/gtest.h>

namespace enginetest {

std::vector<Entry> Contents(DMDataFile& file)
{
    std::vector<Entry> entries;
    for (unsigned position : tomelens::core::LiveEntries(file)) {
        const DMDataFileEntry& entry = *file.GetEntry(position);
        std::string data(entry.GetLength(), '\0');
        entries.push_back({entry.GetName(), entry.GetData(data.data()) == 0 ? data : "<corrupt>",
                           entry.GetCheckSum()});
    }
    return entries;
}

std::vector<Entry> Contents(const fs::path& path)
{
    tomelens::core::DataFilePtr file;
    if (!tomelens::core::OpenArchive(path.string(), tomelens::core::LoadMode::Whole, file).Ok())
        return {};
    return Contents(*file);
}

tomelens::core::DataFilePtr Open(const fs::path& path)
{
    tomelens::core::DataFilePtr file;
    const auto opened = tomelens::core::OpenArchive(path.string(), tomelens::core::LoadMode::Index, file);
    EXPECT_TRUE(opened.Ok()) << opened.Message();
    return file;
}

}  // namespace enginetest
