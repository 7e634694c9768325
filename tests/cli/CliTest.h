#pragma once

// What the program suites share: running the built tomelens-cli, folders and
// archives made for a test, and reading the results back.
#include "support/ArchiveBytes.h"
#include "support/TestFiles.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

struct CliRun {
    int exitCode = -1;  // the exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
    long peakKiB = 0;  // the child's peak resident memory
};

// Runs the program with args in folder cwd (empty: this process's own), stdin
// on /dev/null.
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd = {});

// A temporary folder removed with everything below it.
class Folder : public testsupport::TempDir {
public:
    ~Folder();
    std::filesystem::path operator/(const std::string& name) const { return std::filesystem::path(Path()) / name; }
};

struct TextEntry {
    std::string name;
    std::string data;
    std::uint32_t checkSum = 0;
    bool corrupt = false;  // its first zlib stream is damaged
    bool operator==(const TextEntry&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const TextEntry& entry)
{
    return out << "{" << entry.name << ", " << entry.data.size() << " bytes, " << entry.checkSum << "}";
}
// Entries in data order; the directory may list the records backwards.
void WriteArchive(const std::filesystem::path& path, const std::vector<TextEntry>& entries,
                  bool reverseDirectory = false);

void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);
// Every regular file below folder, relative to it with '/', sorted.
std::vector<std::string> FilesBelow(const std::filesystem::path& folder);
// The lines of a text, line ends removed.
std::vector<std::string> Lines(const std::string& text);
