#include "archive/DMDataFile.h"

#include "archive/ArchiveFormat.h"
#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"
#include "archive/FileIo.h"
#include "archive/GrowableBytes.h"
#include "archive/LastError.h"

#include <algorithm>
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

}  // namespace

int DMDataFile::CheckFile(const char* path)
{
    ClearSystemError();
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
    if (size < 8)
        return DMResult::NotArchive;
    unsigned char header[kHeaderSize];
    if (ReadFully(file.Get(), header, kHeaderSize) != kHeaderSize)
        return DMResult::ShortRead;
    // Every length and offset is a 32-bit word: a file of 4 GiB or more cannot be one.
    if (size > kMaxFileSize || !HeaderIsValid(header, size))
        return DMResult::NotArchive;
    m_fileSize = static_cast<std::uint32_t>(size);
    m_bChecked = true;
    return DMResult::Success;
}

int DMDataFile::Load(const char* path)
{
    ResetContent();
    // Always (re)check: the reset cleared the recorded length, and the file may
    // have changed since an earlier check.
    int result = CheckFile(path);
    if (result == DMResult::Success)
        result = DMDataFileInternals::ReadArchive(*this);
    if (result == DMResult::Success)
        result = DMDataFileInternals::NameEntries(*this);
    if (result != DMResult::Success)
        ResetContent();
    return result;
}

int DMDataFileInternals::ReadArchive(DMDataFile& file)
{
    std::uint64_t size = 0;
    FileHandle in = OpenRegularFileForReading(file.m_path.c_str(), size);
    if (!in.Valid())
        return DMResult::CannotOpen;
    // Everything below is checked against the size of the file actually open.
    unsigned char header[kHeaderSize];
    if (size != file.m_fileSize || ReadFully(in.Get(), header, kHeaderSize) != kHeaderSize ||
        !HeaderIsValid(header, size))
        return DMResult::NotArchive;
    const std::uint32_t directoryOffset = ReadWord(header);

    const std::uint32_t areaLength = directoryOffset - kHeaderSize;
    GrowableBytes buffer;
    buffer.Reserve(areaLength);
    // Never null, so even an empty data area has an address to point views at.
    file.m_pDataArea.reset(buffer.Release(areaLength));
    file.m_dataAreaLength = areaLength;
    if (ReadFully(in.Get(), file.m_pDataArea.get(), areaLength) != areaLength)
        return DMResult::NotArchive;

    unsigned char countWord[kCountSize];
    if (ReadFully(in.Get(), countWord, kCountSize) != kCountSize)
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
    if (ReadFully(in.Get(), directory.data(), directory.size()) != directory.size())
        return DMResult::ShortRead;
    const auto signatureLength = static_cast<std::uint32_t>(size - directoryEnd);
    if (signatureLength > 0) {
        auto signature = std::make_unique_for_overwrite<unsigned char[]>(signatureLength);
        if (ReadFully(in.Get(), signature.get(), signatureLength) != signatureLength)
            return DMResult::NotArchive;
        file.m_pSignature = std::move(signature);
        file.m_signatureLength = signatureLength;
    }
    in.Close();

    std::vector<DirectoryRecord> records(recordCount);
    for (std::uint32_t i = 0; i < recordCount; ++i) {
        const unsigned char* raw = directory.data() + std::size_t(kRecordSize) * i;
        records[i] = {i, ReadWord(raw), ReadWord(raw + 4), ReadWord(raw + 8)};
        // An offset outside the data area would put a view outside our buffer.
        if (records[i].offset < kHeaderSize || records[i].offset > directoryOffset)
            return DMResult::NotArchive;
    }
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
    // Each extent runs to the next entry's data, the last one's to the end of the area.
    std::uint32_t extentEnd = areaLength;
    for (auto it = file.m_entries.rbegin(); it != file.m_entries.rend(); ++it) {
        (*it)->SetPackedData(file.m_pDataArea.get(), extentEnd - (*it)->GetOffset());
        extentEnd = (*it)->GetOffset();
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
