#include "core/engine/EngineTest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace enginetest {

Tree::~Tree()
{
    std::error_code ignored;
    fs::remove_all(Path(), ignored);
}

std::ostream& operator<<(std::ostream& out, const Entry& entry)
{
    return out << "{" << entry.name << ", " << entry.data.size() << " bytes, " << entry.checkSum << "}";
}

void WriteArchive(const fs::path& path, const std::vector<Entry>& entries)
{
    std::vector<testsupport::PlainEntry> plain;
    for (const Entry& entry : entries)
        plain.push_back({entry.name, testsupport::ToBytes(entry.data), entry.checkSum, entry.corrupt});
    testsupport::MakeArchive(plain).WriteTo(path.string());
}

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

void WriteText(const fs::path& path, const std::string& text)
{
    testsupport::WriteFile(path.string(), text);
}

std::string ReadText(const fs::path& path)
{
    return testsupport::ToString(testsupport::ReadFile(path.string()));
}

std::vector<std::string> FilesBelow(const fs::path& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_directory() || it->is_symlink())
            files.push_back(it->path().lexically_relative(folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace enginetest
