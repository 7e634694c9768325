#pragma once

// Folders, text files and archives made for a test, and read back.
#include "ArchiveBytes.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

// A temporary folder that joins names as paths.
class Folder : public TempDir {
public:
    std::filesystem::path operator/(const std::string& name) const { return std::filesystem::path(Path()) / name; }
};

struct TextEntry {
    std::string name;
    std::string data;
    std::uint32_t checkSum = 0;
    bool corrupt = false;  // its first zlib stream is damaged
    bool operator==(const TextEntry& other) const
    {
        return name == other.name && data == other.data && checkSum == other.checkSum;
    }
};
std::ostream& operator<<(std::ostream& out, const TextEntry& entry);

// Entries in data order; the directory may list the records backwards.
void WriteArchive(const std::filesystem::path& path, const std::vector<TextEntry>& entries,
                  bool reverseDirectory = false);

void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);
// Everything below folder but folders (links and FIFOs included), relative with '/', sorted.
std::vector<std::string> FilesBelow(const std::filesystem::path& folder);

}  // namespace testsupport
