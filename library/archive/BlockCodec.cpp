#include "archive/BlockCodec.h"

#include "archive/ArchiveFormat.h"
#include "archive/DMResultCodes.h"

#include <algorithm>
#include <memory>
#include <vector>
#include <zlib.h>
#if defined(TOMELENS_HAVE_LIBDEFLATE)
#include <libdeflate.h>
#endif

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
    z_stream& Stream() { return m_stream; }

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

#if defined(TOMELENS_HAVE_LIBDEFLATE)
struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> t_libdeflate(
    libdeflate_alloc_decompressor());
#endif

// What compress2 at level 9 does: one complete stream, or false for lack of room.
bool Compress(unsigned char* dest, uLongf& destLength, const unsigned char* source, uInt sourceLength)
{
    if (!t_deflater.Ready())
        return compress2(dest, &destLength, source, sourceLength, kPackLevel) == Z_OK;
    return t_deflater.Run(dest, destLength, source, sourceLength);
}

bool ZlibExact(const unsigned char* stream, std::uint32_t size, unsigned char* dest, std::uint32_t plainSize)
{
    uLongf produced = plainSize;
    const bool ended = t_inflater.Ready() ? t_inflater.Run(dest, produced, stream, size)
                                          : uncompress(dest, &produced, stream, size) == Z_OK;
    return ended && produced == plainSize;
}

// Inflates with zlib in bounded pieces; see InflateInPieces.
int ZlibInPieces(const unsigned char* stream, std::uint32_t size, std::uint32_t plainSize, PlainEmitter emit,
                 void* context)
{
    constexpr std::uint32_t kPiece = 256u << 10;
    if (!t_inflater.Ready())
        return DMResult::CorruptData;
    std::vector<unsigned char> piece(std::min(kPiece, plainSize));
    z_stream& z = t_inflater.Stream();
    inflateReset(&z);
    z.next_in = const_cast<unsigned char*>(stream);
    z.avail_in = size;
    std::uint64_t produced = 0;
    for (;;) {
        z.next_out = piece.data();
        z.avail_out = static_cast<uInt>(piece.size());
        const int status = inflate(&z, Z_NO_FLUSH);
        const auto got = static_cast<std::uint32_t>(piece.size() - z.avail_out);
        produced += got;
        if ((status != Z_OK && status != Z_STREAM_END) || produced > plainSize)
            return DMResult::CorruptData;
        if (got > 0) {
            if (const int result = emit(context, piece.data(), got); result != 0)
                return result;
        }
        if (status == Z_STREAM_END)
            return produced == plainSize ? DMResult::Success : DMResult::CorruptData;
        // A full piece means more may follow; anything else means the input ran out.
        if (got < piece.size())
            return DMResult::CorruptData;
    }
}

}  // namespace

bool HasLibdeflate()
{
#if defined(TOMELENS_HAVE_LIBDEFLATE)
    return true;
#else
    return false;
#endif
}

bool InflateExact(Inflater inflater, const unsigned char* stream, std::uint32_t size, unsigned char* dest,
                  std::uint32_t plainSize)
{
#if defined(TOMELENS_HAVE_LIBDEFLATE)
    if (inflater == Inflater::Libdeflate && t_libdeflate) {
        // With no count asked for, libdeflate insists on exactly plainSize bytes;
        // like zlib it stops at the stream's end and ignores what follows.
        return libdeflate_zlib_decompress(t_libdeflate.get(), stream, size, dest, plainSize, nullptr) ==
               LIBDEFLATE_SUCCESS;
    }
#endif
    (void)inflater;
    return ZlibExact(stream, size, dest, plainSize);
}

bool InflateExact(const unsigned char* stream, std::uint32_t size, unsigned char* dest, std::uint32_t plainSize)
{
    if (!HasLibdeflate())
        return ZlibExact(stream, size, dest, plainSize);
    // Faults are rare: let zlib have the last word on a refusal, so both builds
    // refuse exactly the same blocks.
    return InflateExact(Inflater::Libdeflate, stream, size, dest, plainSize) ||
           ZlibExact(stream, size, dest, plainSize);
}

int InflateInPieces(const unsigned char* stream, std::uint32_t size, std::uint32_t plainSize, PlainEmitter emit,
                    void* context)
{
    constexpr std::uint32_t kWholeLimit = 1u << 20;
    if (plainSize > kWholeLimit)
        return ZlibInPieces(stream, size, plainSize, emit, context);
    thread_local std::vector<unsigned char> plain;
    if (plain.size() < plainSize)
        plain.resize(plainSize);
    if (!InflateExact(stream, size, plain.data(), plainSize))
        return DMResult::CorruptData;
    return plainSize > 0 ? emit(context, plain.data(), plainSize) : DMResult::Success;
}

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
        // The running total may never pass the entry's length.
        if (plainSize > length - produced ||
            !InflateExact(packed + position, streamSize, dest + produced, plainSize))
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
