#include "archive/DMDataFileEntry.h"

#include "archive/ArchiveFormat.h"
#include "archive/AtomicFileWriter.h"
#include "archive/BlockCodec.h"
#include "archive/DMResultCodes.h"
#include "archive/FileIo.h"
#include "archive/LastError.h"

#include <algorithm>
#include <cstring>
#include <utility>

using namespace tomelens::archive;

namespace {

std::unique_ptr<unsigned char[]> CopyBytes(const unsigned char* source, std::uint32_t length)
{
    auto copy = std::make_unique_for_overwrite<unsigned char[]>(length);
    if (length > 0)
        std::memcpy(copy.get(), source, length);
    return copy;
}

}  // namespace

DMDataFileEntry::DMDataFileEntry() = default;

DMDataFileEntry::DMDataFileEntry(const DMDataFileEntry& other)
    : m_index(other.m_index),
      m_length(other.m_length),
      m_packedLength(other.m_packedLength),
      m_offset(other.m_offset),
      m_checkSum(other.m_checkSum),
      m_pPacked(other.m_pPacked),
      m_pUnpacked(other.m_pUnpacked ? CopyBytes(other.m_pUnpacked.get(), other.m_length) : nullptr),
      m_bDeleted(other.m_bDeleted),
      m_name(other.m_name)
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
}

bool DMDataFileEntry::Deleted() const { return m_bDeleted; }
void DMDataFileEntry::Delete() { m_bDeleted = true; }

void DMDataFileEntry::SetPackedData(const void* base, unsigned length)
{
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
    if (!m_pPacked)
        return m_length == 0 ? DMResult::Success : DMResult::CorruptData;
    if (m_length > MaxInflatedSize(m_packedLength))
        return DMResult::CorruptData;
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
    if (m_pPacked) {
        if (size < m_packedLength)
            return DMResult::BufferTooSmall;
        if (m_packedLength > 0)
            std::memcpy(dest, m_pPacked, m_packedLength);
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
    const unsigned char* plain = m_pUnpacked.get();
    std::unique_ptr<unsigned char[]> inflated;
    if (m_length > 0 && !plain) {
        // The packed extent bounds what the entry can really hold; a larger
        // length is corrupt and must not decide how much we allocate.
        if (!m_pPacked || m_length > MaxInflatedSize(m_packedLength))
            return DMResult::CorruptData;
        inflated = std::make_unique_for_overwrite<unsigned char[]>(m_length);
        if (const int result = GetData(inflated.get()); result != DMResult::Success)
            return result;
        plain = inflated.get();
    }
    AtomicFileWriter writer;
    if (const int result = writer.Open(path, KeepTimes::No); result != DMResult::Success)
        return result;
    writer.Write(plain, m_length);
    return writer.Commit();
}
