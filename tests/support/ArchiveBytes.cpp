#include "ArchiveBytes.h"

#include <algorithm>
#include <stdexcept>
#include <zlib.h>

namespace testsupport {

void PutWord(Bytes& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void SetWordAt(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
}

Bytes Deflate(const Bytes& plain, int level)
{
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes stream(size);
    if (compress2(stream.data(), &size, plain.data(), static_cast<uLong>(plain.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    stream.resize(size);
    return stream;
}

Bytes Block(const Bytes& stream, std::uint32_t plainSize)
{
    Bytes block;
    PutWord(block, static_cast<std::uint32_t>(stream.size()));
    PutWord(block, plainSize);
    block.insert(block.end(), stream.begin(), stream.end());
    return block;
}

Bytes PackBlocks(const Bytes& plain, bool corruptFirst)
{
    Bytes packed;
    for (std::size_t at = 0; at < plain.size(); at += 8192) {
        const std::size_t chunk = std::min<std::size_t>(8192, plain.size() - at);
        Bytes stream = Deflate(Bytes(plain.begin() + at, plain.begin() + at + chunk));
        if (corruptFirst && at == 0)
            stream[stream.size() / 2] ^= 0x5A;  // breaks the deflate data or its Adler-32
        const Bytes block = Block(stream, static_cast<std::uint32_t>(chunk));
        packed.insert(packed.end(), block.begin(), block.end());
    }
    return packed;
}

Bytes NameList(const std::vector<std::string>& names)
{
    Bytes list;
    PutWord(list, static_cast<std::uint32_t>(names.size()));
    for (const std::string& name : names) {
        PutWord(list, static_cast<std::uint32_t>(name.size() + 1));
        list.insert(list.end(), name.begin(), name.end());
        list.push_back(0);
    }
    return list;
}

std::uint32_t RawArchive::Append(const Bytes& packed)
{
    const auto offset = static_cast<std::uint32_t>(12 + area.size());
    area.insert(area.end(), packed.begin(), packed.end());
    return offset;
}

Bytes RawArchive::Serialize() const
{
    Bytes file;
    PutWord(file, directoryOffset.value_or(static_cast<std::uint32_t>(CountOffset())));
    PutWord(file, magic);
    PutWord(file, version);
    file.insert(file.end(), area.begin(), area.end());
    PutWord(file, static_cast<std::uint32_t>(records.size()));
    for (const RawRecord& record : records) {
        PutWord(file, record.checkSum);
        PutWord(file, record.offset);
        PutWord(file, record.length);
    }
    file.insert(file.end(), signature.begin(), signature.end());
    return file;
}

RawArchive MakeArchive(const std::vector<PlainEntry>& entries, bool reverseDirectory)
{
    RawArchive archive;
    std::vector<std::string> names;
    for (const PlainEntry& entry : entries) {
        const std::uint32_t offset = archive.Append(PackBlocks(entry.data, entry.corrupt));
        archive.records.push_back({entry.checkSum, offset, static_cast<std::uint32_t>(entry.data.size())});
        names.push_back(entry.name);
    }
    const Bytes list = NameList(names);
    const std::uint32_t listOffset = archive.Append(PackBlocks(list));
    archive.records.push_back({0, listOffset, static_cast<std::uint32_t>(list.size())});
    if (reverseDirectory)
        std::reverse(archive.records.begin(), archive.records.end());
    return archive;
}

}  // namespace testsupport
