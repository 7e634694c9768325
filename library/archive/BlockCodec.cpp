#include "archive/BlockCodec.h"

#include "archive/ArchiveFormat.h"

#include <algorithm>
#include <zlib.h>

namespace tomelens::archive {

bool UnpackBlocks(const unsigned char* packed, std::uint32_t packedLength, unsigned char* dest,
                  std::uint32_t length)
{
    // 64-bit positions: a stream size read from the file may be anything.
    std::uint64_t position = 0;
    std::uint64_t produced = 0;
    while (produced < length) {
        // A header needs at least one stream byte after it.
        if (position + kBlockHeaderSize >= packedLength)
            break;
        const std::uint32_t streamSize = ReadWord(packed + position);
        const std::uint32_t plainSize = ReadWord(packed + position + 4);
        position += kBlockHeaderSize;
        if (position + streamSize > packedLength)
            break;
        uLongf room = static_cast<uLongf>(length - produced);
        if (uncompress(dest + produced, &room, packed + position, streamSize) != Z_OK)
            break;
        if (room != plainSize)
            break;
        produced += plainSize;
        position += streamSize;
    }
    return produced == length && position == packedLength;
}

bool PackBlocks(const unsigned char* source, std::uint32_t length, unsigned char* dest,
                std::uint64_t room, std::uint64_t& written)
{
    std::uint64_t position = 0;
    std::uint32_t consumed = 0;
    while (consumed < length) {
        if (position + kBlockHeaderSize >= room)
            return false;
        const std::uint32_t chunk = std::min(kBlockSize, length - consumed);
        uLongf streamSize = static_cast<uLongf>(room - position - kBlockHeaderSize);
        if (compress2(dest + position + kBlockHeaderSize, &streamSize, source + consumed, chunk,
                      kPackLevel) != Z_OK)
            return false;
        WriteWord(dest + position, static_cast<std::uint32_t>(streamSize));
        WriteWord(dest + position + 4, chunk);
        position += kBlockHeaderSize + streamSize;
        consumed += chunk;
    }
    written = position;
    return true;
}

std::uint64_t PackedSizeBound(std::uint32_t length)
{
    const std::uint64_t wholeBlocks = length / kBlockSize;
    const std::uint32_t rest = length % kBlockSize;
    std::uint64_t bound = wholeBlocks * (kBlockHeaderSize + compressBound(kBlockSize));
    if (rest > 0)
        bound += kBlockHeaderSize + compressBound(rest);
    return bound;
}

}  // namespace tomelens::archive
