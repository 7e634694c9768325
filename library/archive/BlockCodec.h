#pragma once

#include <cstdint>

// The entry block codec: a run of blocks, each an 8-byte header (stream size,
// uncompressed size) followed by one zlib stream of at most 8192 plain bytes.
namespace tomelens::archive {

// Inflates the blocks of `packed` into `dest` (room for exactly `length`
// bytes). True when the blocks produce exactly `length` bytes and use up
// `packed` exactly; on false, dest holds what the blocks before the fault gave.
bool UnpackBlocks(const unsigned char* packed, std::uint32_t packedLength, unsigned char* dest,
                  std::uint32_t length);

// Deflates `length` bytes into blocks at `dest`, which has `room` bytes. On
// success sets `written` and returns true; false when the room ran out.
bool PackBlocks(const unsigned char* source, std::uint32_t length, unsigned char* dest,
                std::uint64_t room, std::uint64_t& written);

// Room that always suffices for PackBlocks on `length` bytes.
std::uint64_t PackedSizeBound(std::uint32_t length);

}  // namespace tomelens::archive
