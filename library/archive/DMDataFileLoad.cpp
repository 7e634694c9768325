#include "archive/DMDataFile.h"

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveSource.h"
#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"
#include "archive/FileIo.h"
#include "archive/GrowableBytes.h"
#include "archive/PositionalRead.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace tomelens::archive;

namespace {

struct DirectoryRecord {
    std::uint32_t index;
    std::uint32_t checkSum;
    std::uint32_t offset;  // absolute file offset
    std::uint32_t length;
};

bool HeaderIsValid(const unsigned char* header, std::uint64_t fileSize)
{
    const std::uint32_t directoryOffset = ReadWord(header);
    return directoryOffset >= kHeaderSize && directoryOffset <= fileSize - kCountSize &&
           ReadWord(header + 4) == kMagic && ReadWord(header + 8) == kVersion;
}

// The header checks of CheckFile on an open file: 0, 4 or 5.
int CheckHeader(NativeFile file, std::uint64_t size, unsigned char (&header)[kHeaderSize])
{
    if (size < 8)
        return DMResult::NotArchive;
    if (ReadAt(file, header, kHeaderSize, 0) != kHeaderSize)
        return DMResult::ShortRead;
    // Every length and offset is a 32-bit word: a file of 4 GiB or more cannot be one.
    if (size > kMaxFileSize || !HeaderIsValid(header, size))
        return DMResult::NotArchive;
    return DMResult::Success;
}

}  // namespace

int DMDataFile::CheckFile(const char* path)
{
    if (path) {
        m_path = path;
        m_bChecked = false;
    }
    if (m_path.empty())
        return DMResult::NoPath;
    std::uint64_t size = 0;
    FileHandle file = OpenRegularFileForReading(m_path.c_str(), size);
    if (!file.Valid())
        return DMResult::CannotOpen;
    unsigned char header[kHeaderSize];
    if (const int result = CheckHeader(file.Get(), size, header); result != DMResult::Success)
        return result;
    m_fileSize = static_cast<std::uint32_t>(size);
    m_bChecked = true;
    return DMResult::Success;
}

int DMDataFile::Load(const char* path)
{
    return DMDataFileInternals::Open(*this, path, true);
}

int DMDataFile::LoadIndex(const char* path)
{
    return DMDataFileInternals::Open(*this, path, false);
}

int DMDataFileInternals::Open(DMDataFile& file, const char* path, bool readDataArea)
{
    file.ResetContent();
    if (path) {
        file.m_path = path;
        file.m_bChecked = false;
    }
    if (file.m_path.empty())
        return DMResult::NoPath;
    // Everything is read from this one open file and checked against its size,
    // so a file replaced meanwhile is read whole or not at all.
    auto source = std::make_shared<ArchiveSource>();
    source->file = OpenRegularFileForReading(file.m_path.c_str(), source->size);
    if (!source->file.Valid())
        return DMResult::CannotOpen;
    unsigned char header[kHeaderSize];
    int result = CheckHeader(source->file.Get(), source->size, header);
    if (result != DMResult::Success)
        return result;
    file.m_fileSize = static_cast<std::uint32_t>(source->size);
    file.m_bChecked = true;

    result = ReadArchive(file, source, ReadWord(header), readDataArea);
    if (result == DMResult::Success)
        result = NameEntries(file);
    if (result != DMResult::Success)
        file.ResetContent();
    else if (!readDataArea)
        file.m_pSource = std::move(source);
    return result;
}

int DMDataFileInternals::ReadArchive(DMDataFile& file, const std::shared_ptr<const ArchiveSource>& source,
                                     std::uint32_t directoryOffset, bool readDataArea)
{
    const NativeFile in = source->file.Get();
    const std::uint64_t size = source->size;
    const std::uint32_t areaLength = directoryOffset - kHeaderSize;
    if (readDataArea) {
        GrowableBytes buffer;
        buffer.Reserve(areaLength);
        // Never null, so even an empty data area has an address to point views at.
        file.m_pDataArea.reset(buffer.Release(areaLength), std::free);
        file.m_dataAreaLength = areaLength;
        if (ReadAt(in, file.m_pDataArea.get(), areaLength, kHeaderSize) != areaLength)
            return DMResult::NotArchive;
    }

    unsigned char countWord[kCountSize];
    if (ReadAt(in, countWord, kCountSize, directoryOffset) != kCountSize)
        return DMResult::NotArchive;
    const std::uint32_t recordCount = ReadWord(countWord);
    const std::uint64_t directoryEnd =
        std::uint64_t(directoryOffset) + kCountSize + std::uint64_t(kRecordSize) * recordCount;
    if (size != directoryEnd && size != directoryEnd + kSignatureSize)
        return DMResult::NotArchive;
    // Without records there is no name list, so nothing can be named.
    if (recordCount == 0)
        return DMResult::NotArchive;

    std::vector<unsigned char> directory(std::size_t(kRecordSize) * recordCount);
    if (ReadAt(in, directory.data(), directory.size(), directoryOffset + kCountSize) != directory.size())
        return DMResult::ShortRead;
    const auto signatureLength = static_cast<std::uint32_t>(size - directoryEnd);
    if (signatureLength > 0) {
        auto signature = std::make_unique_for_overwrite<unsigned char[]>(signatureLength);
        if (ReadAt(in, signature.get(), signatureLength, directoryEnd) != signatureLength)
            return DMResult::NotArchive;
        file.m_pSignature = std::move(signature);
        file.m_signatureLength = signatureLength;
    }

    std::vector<DirectoryRecord> records(recordCount);
    for (std::uint32_t i = 0; i < recordCount; ++i) {
        const unsigned char* raw = directory.data() + std::size_t(kRecordSize) * i;
        records[i] = {i, ReadWord(raw), ReadWord(raw + 4), ReadWord(raw + 8)};
        // An offset outside the data area would put a view outside our buffer.
        if (records[i].offset < kHeaderSize || records[i].offset > directoryOffset)
            return DMResult::NotArchive;
    }
    directory = {};
    // Data order: by offset; among equal offsets the later record comes first.
    std::sort(records.begin(), records.end(), [](const DirectoryRecord& a, const DirectoryRecord& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.index > b.index;
    });

    file.m_entries.reserve(recordCount);
    for (const DirectoryRecord& record : records) {
        auto entry = std::make_unique<DMDataFileEntry>();
        entry->SetIndex(record.index);
        entry->SetLength(record.length);
        entry->SetCheckSum(record.checkSum);
        entry->SetOffset(record.offset - kHeaderSize);
        file.m_entries.push_back(std::move(entry));
    }
    file.m_nextIndex = recordCount;
    // Each extent runs to the next entry's data, the last one's to the end of the area.
    std::uint32_t extentEnd = areaLength;
    for (auto it = file.m_entries.rbegin(); it != file.m_entries.rend(); ++it) {
        DMDataFileEntry& entry = **it;
        entry.m_packedLength = extentEnd - entry.m_offset;
        if (readDataArea) {
            entry.m_pPacked = file.m_pDataArea.get() + entry.m_offset;
            entry.m_packedOwner = file.m_pDataArea;
        } else {
            entry.m_pSource = source;
            entry.m_sourceOffset = kHeaderSize + std::uint64_t(entry.m_offset);
        }
        extentEnd = entry.m_offset;
    }
    return DMResult::Success;
}

int DMDataFileInternals::NameEntries(DMDataFile& file)
{
    DMDataFileEntry& nameList = *file.m_entries.back();
    const std::uint32_t length = nameList.GetLength();
    // Refuse an impossible length before it decides an allocation.
    if (length > MaxInflatedSize(nameList.GetPackedLength()))
        return DMResult::NotArchive;
    std::vector<unsigned char> list(length);
    if (const int result = nameList.GetData(list.data()); result != DMResult::Success)
        return result;

    const std::uint64_t nameCount = file.m_entries.size() - 1;
    if (length < 4 || ReadWord(list.data()) != nameCount)
        return DMResult::NotArchive;
    std::uint64_t position = 4;
    for (std::uint64_t k = 0; k < nameCount; ++k) {
        // A length word, then at least one byte: the name and its NUL.
        if (position + 4 >= length)
            return DMResult::NotArchive;
        const std::uint32_t recordLength = ReadWord(list.data() + position);
        const std::uint64_t nameStart = position + 4;
        if (recordLength == 0 || nameStart + recordLength > length ||
            list[nameStart + recordLength - 1] != 0)
            return DMResult::NotArchive;
        file.m_entries[k]->SetName(reinterpret_cast<const char*>(list.data() + nameStart));
        position = nameStart + recordLength;
    }
    return position == length ? DMResult::Success : DMResult::NotArchive;
}
