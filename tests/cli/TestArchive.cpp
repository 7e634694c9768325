#include "TestArchive.h"

#include "CliRunner.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::size_t kBlockSize = 8192;

void PutWord(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

std::string Deflate(const std::string& chunk)
{
    uLongf size = compressBound(chunk.size());
    std::string stream(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(stream.data()), &size,
                  reinterpret_cast<const Bytef*>(chunk.data()), chunk.size(), 9) != Z_OK)
        throw std::runtime_error("compress2 failed");
    stream.resize(size);
    return stream;
}

std::string Pack(const std::string& data, bool corrupt)
{
    std::string packed;
    for (std::size_t at = 0; at < data.size(); at += kBlockSize) {
        const std::string chunk = data.substr(at, kBlockSize);
        std::string stream = Deflate(chunk);
        if (corrupt && at == 0)
            stream[stream.size() / 2] ^= 0x5A;  // breaks the deflate data or its Adler-32
        PutWord(packed, static_cast<std::uint32_t>(stream.size()));
        PutWord(packed, static_cast<std::uint32_t>(chunk.size()));
        packed += stream;
    }
    return packed;
}

}  // namespace

std::uint32_t TestArchive::PackedLength(const std::string& data)
{
    return static_cast<std::uint32_t>(Pack(data, false).size());
}

std::string TestArchive::Bytes() const
{
    std::string nameList;
    PutWord(nameList, static_cast<std::uint32_t>(entries.size()));
    for (const TestEntry& entry : entries) {
        PutWord(nameList, static_cast<std::uint32_t>(entry.name.size() + 1));
        nameList += entry.name;
        nameList += '\0';
    }

    struct Record {
        std::uint32_t checkSum, offset, length;
    };
    std::vector<Record> records;
    std::string dataArea;
    for (const TestEntry& entry : entries) {
        records.push_back({entry.checkSum, static_cast<std::uint32_t>(12 + dataArea.size()),
                           static_cast<std::uint32_t>(entry.data.size())});
        dataArea += Pack(entry.data, entry.corrupt);
    }
    records.push_back({0, static_cast<std::uint32_t>(12 + dataArea.size()),
                       static_cast<std::uint32_t>(nameList.size())});
    dataArea += Pack(nameList, false);
    if (reverseDirectory)
        std::reverse(records.begin(), records.end());

    std::string file;
    PutWord(file, static_cast<std::uint32_t>(12 + dataArea.size()));
    file += "PFS ";
    PutWord(file, 0x00020000);
    file += dataArea;
    PutWord(file, static_cast<std::uint32_t>(records.size()));
    for (const Record& record : records) {
        PutWord(file, record.checkSum);
        PutWord(file, record.offset);
        PutWord(file, record.length);
    }
    return file;
}

void TestArchive::WriteTo(const std::filesystem::path& path) const
{
    WriteBytes(path, Bytes());
}
