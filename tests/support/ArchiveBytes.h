#pragma once

// Archive files written byte by byte from the file layout, independently of the
// library, so a test can produce any layout: valid, odd or hostile.
#include "TestFiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

inline constexpr std::uint32_t kArchiveMagic = 0x20534650;  // "PFS "
inline constexpr std::uint32_t kArchiveVersion = 0x00020000;

void PutWord(Bytes& out, std::uint32_t value);  // little-endian, appended
void SetWordAt(Bytes& bytes, std::size_t at, std::uint32_t value);

// One zlib stream; level 9 is what the archive writer uses.
Bytes Deflate(const Bytes& plain, int level = 9);
// One block: compressed size S, uncompressed size U, then the stream as given.
Bytes Block(const Bytes& stream, std::uint32_t plainSize);
// Blocks of at most 8192 plain bytes; `corruptFirst` damages the first stream.
Bytes PackBlocks(const Bytes& plain, bool corruptFirst = false);
// The uncompressed name list: count, then length word and NUL-terminated name each.
Bytes NameList(const std::vector<std::string>& names);

struct RawRecord {
    std::uint32_t checkSum = 0;
    std::uint32_t offset = 0;  // absolute file offset
    std::uint32_t length = 0;  // plain length
};

// An archive assembled field by field. Every field may be set to anything.
struct RawArchive {
    std::uint32_t magic = kArchiveMagic;
    std::uint32_t version = kArchiveVersion;
    Bytes area;                      // the data area, right after the 12-byte header
    std::vector<RawRecord> records;  // in directory order
    Bytes signature;                 // the trailer after the directory
    std::optional<std::uint32_t> directoryOffset;  // unset: right after the data area

    // Appends packed bytes to the data area and returns their file offset.
    std::uint32_t Append(const Bytes& packed);
    // File offset of the record count, as written.
    std::size_t CountOffset() const { return 12 + area.size(); }
    Bytes Serialize() const;
    void WriteTo(const std::string& path) const { WriteFile(path, Serialize()); }
};

struct PlainEntry {
    std::string name;
    Bytes data;
    std::uint32_t checkSum = 0;
    bool corrupt = false;  // its first block's stream is damaged
};

// Entries in data order, the name list last in the data area. Directory records
// in data order (name list at index n), or reversed (name list at index 0),
// which also keeps empty entries, sharing the next entry's offset, in their place.
RawArchive MakeArchive(const std::vector<PlainEntry>& entries, bool reverseDirectory = false);

}  // namespace testsupport
