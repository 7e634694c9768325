#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Writes archive files byte by byte from the format's tables, independent of
// the library, so the tests can make any archive: odd names, directory order
// unlike data order, damaged blocks.
struct TestEntry {
    std::string name;
    std::string data;
    std::uint32_t checkSum = 0;
    bool corrupt = false;  // flip a byte inside the entry's first zlib stream
};

struct TestArchive {
    // In data order. Give every entry some data: an empty one would share its
    // offset with the next, and records of equal offset need a directory order
    // this simple writer does not arrange.
    std::vector<TestEntry> entries;
    bool reverseDirectory = false;    // list the directory records in the opposite order

    // The archive's bytes: header, packed entries, name list, directory.
    std::string Bytes() const;
    void WriteTo(const std::filesystem::path& path) const;

    // The packed length each entry will have (8-byte header per 8192-byte block).
    static std::uint32_t PackedLength(const std::string& data);
};
