#pragma once

// What the engine's suites share: a folder tree removed whole, archives made
// byte by byte, and archives read back with the library.
#include "engine/ArchiveFile.h"
#include "support/ArchiveBytes.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace enginetest {

namespace fs = std::filesystem;

class Tree : public testsupport::TempDir {
public:
    ~Tree();
    fs::path operator/(const std::string& name) const { return fs::path(Path()) / name; }
};

struct Entry {
    std::string name;
    std::string data;
    unsigned checkSum = 0;
    bool corrupt = false;
    bool operator==(const Entry& other) const
    {
        return name == other.name && data == other.data && checkSum == other.checkSum;
    }
};
std::ostream& operator<<(std::ostream& out, const Entry& entry);

void WriteArchive(const fs::path& path, const std::vector<Entry>& entries);
// The live entries of a container or a file, in data order ("<corrupt>" for data that does not unpack).
std::vector<Entry> Contents(DMDataFile& file);
std::vector<Entry> Contents(const fs::path& path);
// Opens by index; fails the test when it cannot.
tomelens::core::DataFilePtr Open(const fs::path& path);

void WriteText(const fs::path& path, const std::string& text);
std::string ReadText(const fs::path& path);
// Every file below folder (links included), relative with '/', sorted.
std::vector<std::string> FilesBelow(const fs::path& folder);

}  // namespace enginetest
