#include "archive/BlockCodec.h"

#include "archive/ArchiveFormat.h"

#include <algorithm>
#include <zlib.h>

namespace tomelens::archive {

namespace {

// One zlib stream per thread and direction, reset between blocks. Setting a
// stream up for every 8 KiB block allocates and frees a few hundred KiB each
// time, which costs as much as the compression itself; a reset gives the same bytes.
class ReusedStream {
public:
    explicit ReusedStream(bool deflating) : m_deflating(deflating)
    {
        m_ready = (deflating ? deflateInit(&m_stream, kPackLevel) : inflateInit(&m_stream)) == Z_OK;
    }
    ~ReusedStream()
    {
        if (m_ready)
            (m_deflating ? deflateEnd : inflateEnd)(&m_stream);
    }
    ReusedStream(const ReusedStream&) = delete;
    ReusedStream& operator=(const ReusedStream&) = delete;

    bool Ready() const { return m_ready; }

    // Runs one complete stream from source into dest: true when it ends within
    // the room, with destLength set to the bytes produced.
    bool Run(unsigned char* dest, uLongf& destLength, const unsigned char* source, uInt sourceLength)
    {
        (m_deflating ? deflateReset : inflateReset)(&m_stream);
        m_stream.next_in = const_cast<unsigned char*>(source);
        m_stream.avail_in = sourceLength;
        m_stream.next_out = dest;
        m_stream.avail_out = static_cast<uInt>(std::min<uLongf>(destLength, 0xFFFFFFFFu));
        // Z_FINISH lets zlib skip its window when the stream ends in one call.
        if ((m_deflating ? deflate : inflate)(&m_stream, Z_FINISH) != Z_STREAM_END)
            return false;
        destLength = m_stream.total_out;
        return true;
    }

private:
    z_stream m_stream{};
    bool m_deflating;
    bool m_ready = false;
};

thread_local ReusedStream t_deflater(true);
thread_local ReusedStream t_inflater(false);

// What compress2 at level 9 does: one complete stream, or false for lack of room.
bool Compress(unsigned char* dest, uLongf& destLength, const unsigned char* source, uInt sourceLength)
{
    if (!t_deflater.Ready())
        return compress2(dest, &destLength, source, sourceLength, kPackLevel) == Z_OK;
    return t_deflater.Run(dest, destLength, source, sourceLength);
}

// What uncompress does: true when one complete stream fits the room.
bool Uncompress(unsigned char* dest, uLongf& destLength, const unsigned char* source, uLong sourceLength)
{
    if (!t_inflater.Ready() || sourceLength > 0xFFFFFFFFu || destLength > 0xFFFFFFFFu)
        return uncompress(dest, &destLength, source, sourceLength) == Z_OK;
    return t_inflater.Run(dest, destLength, source, static_cast<uInt>(sourceLength));
}

}  // namespace

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
        if (!Uncompress(dest + produced, room, packed + position, streamSize))
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
        if (!Compress(dest + position + kBlockHeaderSize, streamSize, source + consumed, chunk))
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
