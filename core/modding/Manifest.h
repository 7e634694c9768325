#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The record an unpacked folder keeps of the archive it came from, in the
// file tomelens.json at the folder's top. It lets pack put the archive back
// together byte for byte: entry order, names (as bytes, so names no file
// system can hold survive), checksums, and where each entry's packed blocks
// lie in the original, so untouched files are copied, not packed again.
//
// Format (version 1), a JSON object:
//   "format":   "tomelens-unpack"
//   "version":  1
//   "archive":  path of the archive unpacked (UTF-8 or the system's bytes)
//   "archiveSize", "archiveModified": its length and modification time (ns)
//   "signature": hex of the trailing bytes after the directory ("" when none)
//   "entries":  one object per entry, in data order:
//     "name":      the stored name's bytes in hex
//     "text":      the name as UTF-8, for people reading the file (ignored)
//     "file":      the file written, relative to the folder, '/' between parts
//     "length":    plain length in bytes
//     "checksum":  the stored checksum, 8 hex digits
//     "crc32":     CRC-32 of the plain data, 8 hex digits
//     "offset", "packedLength", "index": where the packed blocks lie in the
//                  archive file and the entry's directory slot
//     "size", "modified": the written file's length and modification time
//                  (ns), so an untouched file needs no re-reading
namespace tomelens::core {

inline constexpr char kManifestFileName[] = "tomelens.json";
inline constexpr int kManifestVersion = 1;

struct ManifestEntry {
    std::string name;  // the stored bytes
    std::string file;
    std::uint32_t length = 0;
    std::uint32_t checkSum = 0;
    std::uint32_t crc32 = 0;
    std::uint32_t offset = 0;
    std::uint32_t packedLength = 0;
    std::uint32_t index = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const ManifestEntry&) const = default;
};

struct Manifest {
    std::string archive;
    std::uint64_t archiveSize = 0;
    std::int64_t archiveModifiedNs = 0;
    std::string signature;  // raw bytes
    std::vector<ManifestEntry> entries;

    bool operator==(const Manifest&) const = default;
};

std::string ManifestToJson(const Manifest& manifest);

// Reads a manifest back. A document that is not one, of another version, or
// with a field missing, of the wrong kind or out of range gives nullopt and
// says what is wrong in `problem`.
std::optional<Manifest> ManifestFromJson(const std::string& document, std::string& problem);

}  // namespace tomelens::core
