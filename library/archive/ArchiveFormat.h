#pragma once

#include <cstdint>

// Layout constants of the archive file and little-endian word access.
namespace tomelens::archive {

inline constexpr std::uint32_t kMagic = 0x20534650;     // the bytes "PFS "
inline constexpr std::uint32_t kVersion = 0x00020000;
inline constexpr std::uint32_t kHeaderSize = 12;        // directory offset, magic, version
inline constexpr std::uint32_t kCountSize = 4;          // record count that opens the directory
inline constexpr std::uint32_t kRecordSize = 12;        // checksum, offset, length
inline constexpr std::uint32_t kSignatureSize = 9;      // the only non-empty trailer accepted
inline constexpr std::uint32_t kBlockHeaderSize = 8;    // compressed size, uncompressed size
inline constexpr std::uint32_t kBlockSize = 8192;       // uncompressed bytes per written block
inline constexpr int kPackLevel = 9;

// Every length and offset is a 32-bit word, so no file may reach 4 GiB.
inline constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFu;

// A deflate stream yields at most 258 bytes per two bits, 1032 bytes per byte;
// block headers only lower that. Lengths beyond this cannot be real.
inline constexpr std::uint64_t kMaxInflateRatio = 1032;

inline std::uint64_t MaxInflatedSize(std::uint64_t packedLength)
{
    return packedLength * kMaxInflateRatio;
}

inline std::uint32_t ReadWord(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline void WriteWord(unsigned char* p, std::uint32_t value)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

}  // namespace tomelens::archive
