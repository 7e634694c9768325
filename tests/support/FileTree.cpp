#include "FileTree.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace testsupport {

std::ostream& operator<<(std::ostream& out, const TextEntry& entry)
{
    return out << "{" << entry.name << ", " << entry.data.size() << " bytes, " << entry.checkSum << "}";
}

void WriteArchive(const fs::path& path, const std::vector<TextEntry>& entries, bool reverseDirectory)
{
    std::vector<PlainEntry> plain;
    for (const TextEntry& entry : entries)
        plain.push_back({entry.name, ToBytes(entry.data), entry.checkSum, entry.corrupt});
    MakeArchive(plain, reverseDirectory).WriteTo(path.string());
}

void WriteText(const fs::path& path, const std::string& text)
{
    WriteFile(path.string(), std::string_view(text));
}

std::string ReadText(const fs::path& path)
{
    return ToString(ReadFile(path.string()));
}

std::vector<std::string> FilesBelow(const fs::path& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_symlink() || !it->is_directory())
            files.push_back(it->path().lexically_relative(folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace testsupport
