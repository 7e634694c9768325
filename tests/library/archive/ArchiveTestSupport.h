#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DMDataFile;

namespace archivetest {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(const std::string& text);
void PutWord(Bytes& out, std::uint32_t value);
std::uint32_t WordAt(const Bytes& bytes, std::size_t at);

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> List() const;  // sorted names, hidden ones included

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// One zlib stream at level 9, as the archive writer makes it.
Bytes Deflate(const Bytes& plain);
// Blocks of at most 8192 plain bytes, each behind its 8-byte header.
Bytes PackBlocks(const Bytes& plain);
// The uncompressed name list: count, then length word and NUL-terminated name each.
Bytes NameList(const std::vector<std::string>& names);

struct RawRecord {
    std::uint32_t checkSum = 0;
    std::uint32_t offset = 0;  // absolute file offset
    std::uint32_t length = 0;
};

// An archive assembled field by field, so tests can produce any layout, valid or not.
struct RawArchive {
    std::uint32_t magic = 0x20534650;
    std::uint32_t version = 0x00020000;
    Bytes area;                    // the data area
    std::vector<RawRecord> records;  // in directory order
    Bytes signature;
    bool overrideDirectoryOffset = false;
    std::uint32_t directoryOffset = 0;

    // Appends packed bytes to the data area and returns their file offset.
    std::uint32_t Append(const Bytes& packed);
    Bytes Serialize() const;
};

struct PlainEntry {
    std::string name;
    Bytes data;
    std::uint32_t checkSum = 0;
};

// Entries in data order, the name list last; directory records in data order
// (name list at index n), or reversed (name list at index 0) when asked.
RawArchive MakeArchive(const std::vector<PlainEntry>& entries, bool reverseDirectory = false);

// What a loaded container holds, position by position.
struct EntryState {
    std::string name;
    Bytes data;
    std::uint32_t checkSum = 0;
    std::uint32_t index = 0;
    int dataResult = 0;
    bool operator==(const EntryState&) const = default;
};
std::vector<EntryState> Snapshot(DMDataFile& file);

}  // namespace archivetest
