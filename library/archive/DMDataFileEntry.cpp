#include "archive/DMDataFileEntry.h"

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveSource.h"
#include "archive/AtomicFileWriter.h"
#include "archive/BlockCodec.h"
#include "archive/DMResultCodes.h"
#include "archive/FileIo.h"
#include "archive/LastError.h"
#include "archive/PositionalRead.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

using namespace tomelens::archive;

namespace {

std::unique_ptr<unsigned char[]> CopyBytes(const unsigned char* source, std::uint32_t length)
{
    auto copy = std::make_unique_for_overwrite<unsigned char[]>(length);
    if (length > 0)
        std::memcpy(copy.get(), source, length);
    return copy;
}

// Where an entry's packed bytes come from: a view in memory or its extent in
// the archive file. File reads go through a window of a few hundred KiB, so
// small blocks cost one read between them, not two each.
class ExtentReader {
public:
    ExtentReader(const unsigned char* view, const ArchiveSource* source, std::uint64_t sourceOffset,
                 std::uint64_t length)
        : m_view(view), m_source(source), m_sourceOffset(sourceOffset), m_length(length)
    {
    }

    // Points `bytes` at `count` bytes of the extent from `at` on (the caller
    // keeps within the extent): 0 or 4.
    int Fetch(std::uint64_t at, std::uint32_t count, const unsigned char*& bytes)
    {
        if (m_view) {
            bytes = m_view + at;
            return DMResult::Success;
        }
        if (at < m_windowStart || at + count > m_windowStart + m_windowLength) {
            constexpr std::uint64_t kWindow = 256u << 10;
            const std::uint64_t length = std::max<std::uint64_t>(count, std::min(kWindow, m_length - at));
            if (m_window.size() < length)
                m_window.resize(length);
            if (ReadAt(m_source->file.Get(), m_window.data(), length, m_sourceOffset + at) != length) {
                m_windowLength = 0;
                return DMResult::ShortRead;
            }
            m_windowStart = at;
            m_windowLength = length;
        }
        bytes = m_window.data() + (at - m_windowStart);
        return DMResult::Success;
    }

private:
    const unsigned char* m_view;
    const ArchiveSource* m_source;
    std::uint64_t m_sourceOffset;
    std::uint64_t m_length;
    std::vector<unsigned char> m_window;
    std::uint64_t m_windowStart = 0;
    std::uint64_t m_windowLength = 0;
};

struct SinkTarget {
    DMDataSink sink;
    void* context;
};

int ToSink(void* target, const unsigned char* bytes, std::uint32_t length)
{
    const auto* to = static_cast<const SinkTarget*>(target);
    return to->sink ? to->sink(to->context, bytes, length) : DMResult::Success;
}

struct CopyTarget {
    unsigned char* dest;
    std::uint64_t at = 0;
};

int CopyInto(void* target, const void* bytes, unsigned length)
{
    auto* to = static_cast<CopyTarget*>(target);
    std::memcpy(to->dest + to->at, bytes, length);
    to->at += length;
    return DMResult::Success;
}

int WriteTo(void* writer, const void* bytes, unsigned length)
{
    return static_cast<AtomicFileWriter*>(writer)->Write(bytes, length) ? DMResult::Success
                                                                         : DMResult::ShortWrite;
}

}  // namespace

DMDataFileEntry::DMDataFileEntry() = default;

DMDataFileEntry::DMDataFileEntry(const DMDataFileEntry& other)
    : m_index(other.m_index),
      m_length(other.m_length),
      m_packedLength(other.m_packedLength),
      m_offset(other.m_offset),
      m_checkSum(other.m_checkSum),
      m_bDeleted(other.m_bDeleted),
      m_pPacked(other.m_pPacked),
      m_pUnpacked(other.m_pUnpacked ? CopyBytes(other.m_pUnpacked.get(), other.m_length) : nullptr),
      m_name(other.m_name),
      m_packedOwner(other.m_packedOwner),
      m_pSource(other.m_pSource),
      m_sourceOffset(other.m_sourceOffset)
{
}

DMDataFileEntry& DMDataFileEntry::operator=(const DMDataFileEntry& other)
{
    if (this != &other) {
        DMDataFileEntry copy(other);
        m_index = copy.m_index;
        m_length = copy.m_length;
        m_packedLength = copy.m_packedLength;
        m_offset = copy.m_offset;
        m_checkSum = copy.m_checkSum;
        m_pPacked = copy.m_pPacked;
        m_pUnpacked = std::move(copy.m_pUnpacked);
        m_bDeleted = copy.m_bDeleted;
        m_name = std::move(copy.m_name);
        m_packedOwner = std::move(copy.m_packedOwner);
        m_pSource = std::move(copy.m_pSource);
        m_sourceOffset = copy.m_sourceOffset;
    }
    return *this;
}

DMDataFileEntry::~DMDataFileEntry() = default;

const char* DMDataFileEntry::GetName() const { return m_name.c_str(); }
void DMDataFileEntry::SetName(const char* name) { m_name = name ? name : ""; }

unsigned DMDataFileEntry::GetLength() const { return m_length; }

void DMDataFileEntry::SetLength(unsigned length)
{
    if (m_pUnpacked && length != m_length) {
        // Keep the unpacked copy exactly as long as the entry claims to be, so
        // no read or pack can run past its end.
        auto resized = std::make_unique<unsigned char[]>(length);
        std::memcpy(resized.get(), m_pUnpacked.get(), std::min(length, m_length));
        m_pUnpacked = std::move(resized);
    }
    m_length = length;
}

unsigned DMDataFileEntry::GetPackedLength() const { return m_packedLength; }
unsigned DMDataFileEntry::GetCheckSum() const { return m_checkSum; }
void DMDataFileEntry::SetCheckSum(unsigned checkSum) { m_checkSum = checkSum; }
unsigned DMDataFileEntry::GetIndex() const { return m_index; }
void DMDataFileEntry::SetIndex(unsigned index) { m_index = index; }
unsigned DMDataFileEntry::GetOffset() const { return m_offset; }

void DMDataFileEntry::SetOffset(unsigned offset)
{
    m_offset = offset;
    m_packedLength = 0;
    m_pPacked = nullptr;
    m_packedOwner.reset();
    m_pSource.reset();
    m_sourceOffset = 0;
}

bool DMDataFileEntry::Deleted() const { return m_bDeleted; }
void DMDataFileEntry::Delete() { m_bDeleted = true; }

void DMDataFileEntry::SetPackedData(const void* base, unsigned length)
{
    m_packedOwner.reset();
    m_pSource.reset();
    m_sourceOffset = 0;
    m_pPacked = static_cast<const unsigned char*>(base) + m_offset;
    m_packedLength = length;
}

void DMDataFileEntry::SetData(const void* data, unsigned length)
{
    if (data && length > 0) {
        m_pUnpacked = CopyBytes(static_cast<const unsigned char*>(data), length);
        m_length = length;
    } else {
        m_pUnpacked.reset();
        m_length = 0;
    }
    SetOffset(0);
}

int DMDataFileEntry::GetData(void* dest) const
{
    if (m_pUnpacked) {
        if (m_length > 0)
            std::memcpy(dest, m_pUnpacked.get(), m_length);
        return DMResult::Success;
    }
    // Without a view nothing backs a non-zero length: report it rather than
    // leave the caller's buffer holding whatever was there.
    if (!m_pPacked && !m_pSource)
        return m_length == 0 ? DMResult::Success : DMResult::CorruptData;
    if (m_length > MaxInflatedSize(m_packedLength))
        return DMResult::CorruptData;
    if (!m_pPacked) {
        CopyTarget target{static_cast<unsigned char*>(dest)};
        return ReadData(CopyInto, &target);
    }
    return UnpackBlocks(m_pPacked, m_packedLength, static_cast<unsigned char*>(dest), m_length)
               ? DMResult::Success
               : DMResult::CorruptData;
}

int DMDataFileEntry::GetPackedData(void* dest, unsigned& size) const
{
    if (m_pUnpacked) {
        std::uint64_t written = 0;
        if (!PackBlocks(m_pUnpacked.get(), m_length, static_cast<unsigned char*>(dest), size, written))
            return DMResult::BufferTooSmall;
        size = static_cast<unsigned>(written);
        return DMResult::Success;
    }
    if (m_pPacked || m_pSource) {
        if (size < m_packedLength)
            return DMResult::BufferTooSmall;
        if (m_pPacked && m_packedLength > 0)
            std::memcpy(dest, m_pPacked, m_packedLength);
        if (!m_pPacked)
            ClearSystemError();
        if (!m_pPacked && ReadAt(m_pSource->file.Get(), dest, m_packedLength, m_sourceOffset) != m_packedLength)
            return DMResult::ShortRead;
        size = m_packedLength;
        return DMResult::Success;
    }
    size = 0;
    return DMResult::Success;
}

int DMDataFileEntry::LoadData(const char* path)
{
    ClearSystemError();
    if (!path)
        return DMResult::CannotOpen;
    std::uint64_t size = 0;
    FileHandle file = OpenRegularFileForReading(path, size);
    if (!file.Valid())
        return DMResult::CannotOpen;
    // A length word cannot describe 4 GiB or more; refuse before allocating.
    if (size > kMaxFileSize)
        return DMResult::ShortRead;
    auto bytes = std::make_unique_for_overwrite<unsigned char[]>(size);
    if (ReadFully(file.Get(), bytes.get(), size) != size)
        return DMResult::ShortRead;
    file.Close();
    m_pUnpacked = std::move(bytes);
    m_length = static_cast<std::uint32_t>(size);
    SetOffset(0);
    return DMResult::Success;
}

int DMDataFileEntry::SaveData(const char* path) const
{
    ClearSystemError();
    if (!path)
        return DMResult::CannotOpen;
    // The packed extent bounds what the entry can really hold; a larger length
    // is corrupt, and no file is created for it.
    if (m_length > 0 && !m_pUnpacked &&
        ((!m_pPacked && !m_pSource) || m_length > MaxInflatedSize(m_packedLength)))
        return DMResult::CorruptData;
    AtomicFileWriter writer;
    if (const int result = writer.Open(path, KeepTimes::No); result != DMResult::Success)
        return result;
    // Streamed block by block; an abandoned writer leaves the target untouched.
    // An entry of length 0 is an empty file whatever its extent holds.
    if (m_length > 0) {
        if (const int result = ReadData(WriteTo, &writer); result != DMResult::Success)
            return result;
    }
    return writer.Commit();
}

int DMDataFileEntry::ReadData(DMDataSink sink, void* context) const
{
    if (m_pSource)
        ClearSystemError();
    SinkTarget target{sink, context};
    if (m_pUnpacked) {
        for (std::uint32_t at = 0; at < m_length; at += kBlockSize) {
            if (const int result = ToSink(&target, m_pUnpacked.get() + at, std::min(kBlockSize, m_length - at)))
                return result;
        }
        return DMResult::Success;
    }
    if (!m_pPacked && !m_pSource)
        return m_length == 0 ? DMResult::Success : DMResult::CorruptData;
    if (m_length > MaxInflatedSize(m_packedLength))
        return DMResult::CorruptData;

    ExtentReader extent(m_pPacked, m_pSource.get(), m_sourceOffset, m_packedLength);
    std::vector<unsigned char> plain;
    std::uint64_t position = 0;
    std::uint64_t produced = 0;
    while (produced < m_length) {
        // A header needs at least one stream byte after it.
        if (position + kBlockHeaderSize >= m_packedLength)
            break;
        const unsigned char* bytes = nullptr;
        if (const int result = extent.Fetch(position, kBlockHeaderSize, bytes))
            return result;
        const std::uint32_t streamSize = ReadWord(bytes);
        const std::uint32_t plainSize = ReadWord(bytes + 4);
        position += kBlockHeaderSize;
        if (position + streamSize > m_packedLength || plainSize > m_length - produced)
            break;
        if (const int result = extent.Fetch(position, streamSize, bytes))
            return result;
        if (const int result = InflateInPieces(bytes, streamSize, plainSize, ToSink, &target, plain))
            return result;
        produced += plainSize;
        position += streamSize;
    }
    return produced == m_length && position == m_packedLength ? DMResult::Success : DMResult::CorruptData;
}
