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

// The inflaters a stream can go through. Both accept exactly the same streams;
// libdeflate is only there when the build found it.
enum class Inflater { Zlib, Libdeflate };
bool HasLibdeflate();

// Inflates one zlib stream of `size` bytes into exactly `plainSize` bytes at
// dest. True when the stream is valid (header, data, Adler-32) and yields
// exactly `plainSize` bytes; bytes after the stream's end are ignored.
bool InflateExact(Inflater inflater, const unsigned char* stream, std::uint32_t size, unsigned char* dest,
                  std::uint32_t plainSize);
// The same through the fastest inflater built in.
bool InflateExact(const unsigned char* stream, std::uint32_t size, unsigned char* dest, std::uint32_t plainSize);

// Receives inflated bytes piece by piece; a non-zero return stops the work.
using PlainEmitter = int (*)(void* context, const unsigned char* bytes, std::uint32_t length);

// Inflates one stream that must yield exactly `plainSize` bytes and hands them
// to `emit`, holding at most about 1 MiB of plain bytes at a time whatever
// `plainSize` claims. 0, 7 for a stream that is corrupt or of another size, or
// emit's own code. Bytes emitted before a fault is found stay emitted.
int InflateInPieces(const unsigned char* stream, std::uint32_t size, std::uint32_t plainSize, PlainEmitter emit,
                    void* context);

}  // namespace tomelens::archive
