#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A reproducible archive of mixed entries (text-like, binary, incompressible;
// 1 byte to 4 MiB) for the benchmarks, and where its blocks lie.
namespace bench {

using Bytes = std::vector<unsigned char>;

struct SyntheticEntry {
    std::string name;
    Bytes data;
};

// Entries whose packed size adds up to about `targetFileSize`.
std::vector<SyntheticEntry> MakeEntries(std::uint64_t targetFileSize);

// Writes them as an archive with the library; false on failure.
bool WriteArchive(const std::vector<SyntheticEntry>& entries, const std::string& path);

// One block inside a whole-file buffer.
struct BlockRef {
    std::uint64_t streamOffset;  // in the file
    std::uint32_t streamSize;
    std::uint32_t plainSize;
    std::uint32_t entry;         // index into the entries in data order
};

// The layout a baseline needs, read from the file's bytes without the library.
struct ArchiveLayout {
    std::vector<BlockRef> blocks;      // every entry's blocks, in data order, name list excluded
    std::vector<BlockRef> nameList;    // the name list's blocks
    std::vector<std::uint32_t> lengths;  // plain length of each entry in data order
    std::uint32_t nameListLength = 0;
};
ArchiveLayout ReadLayout(const Bytes& file);

// A large archive written directly, fast: `entryCount` entries that all hold
// the same packed bytes (incompressible plain data), about `targetFileSize` in
// all. For figures that read only the directory and the names. False on failure.
bool WriteLargeArchive(const std::string& path, std::uint64_t targetFileSize, std::uint32_t entryCount);

}  // namespace bench
