#include "ArchiveTestSupport.h"

#include "archive/DMDataFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace archivetest {

Bytes ToBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

void PutWord(Bytes& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

std::uint32_t WordAt(const Bytes& bytes, std::size_t at)
{
    return std::uint32_t(bytes.at(at)) | std::uint32_t(bytes.at(at + 1)) << 8 |
           std::uint32_t(bytes.at(at + 2)) << 16 | std::uint32_t(bytes.at(at + 3)) << 24;
}

TempDir::TempDir()
{
    // Saves flush to disk; in memory-backed /dev/shm that costs nothing.
    const char* base = std::getenv("TMPDIR");
    std::string root = base && *base ? base : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = root + "/tomelens-archive-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TempDir::~TempDir()
{
    for (const std::string& name : List())
        ::unlink(File(name).c_str());
    ::rmdir(m_path.c_str());
}

std::vector<std::string> TempDir::List() const
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(m_path.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

Bytes Deflate(const Bytes& plain)
{
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes stream(size);
    if (compress2(stream.data(), &size, plain.data(), static_cast<uLong>(plain.size()), 9) != Z_OK)
        throw std::runtime_error("compress2 failed");
    stream.resize(size);
    return stream;
}

Bytes PackBlocks(const Bytes& plain)
{
    Bytes packed;
    for (std::size_t at = 0; at < plain.size(); at += 8192) {
        const std::size_t chunk = std::min<std::size_t>(8192, plain.size() - at);
        const Bytes stream = Deflate(Bytes(plain.begin() + at, plain.begin() + at + chunk));
        PutWord(packed, static_cast<std::uint32_t>(stream.size()));
        PutWord(packed, static_cast<std::uint32_t>(chunk));
        packed.insert(packed.end(), stream.begin(), stream.end());
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
    PutWord(file, overrideDirectoryOffset ? directoryOffset : static_cast<std::uint32_t>(12 + area.size()));
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
        const std::uint32_t offset = archive.Append(PackBlocks(entry.data));
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

std::vector<EntryState> Snapshot(DMDataFile& file)
{
    std::vector<EntryState> states;
    for (unsigned position = 0; position < file.GetNumEntries(); ++position) {
        DMDataFileEntry* entry = file.GetEntry(position);
        EntryState state;
        state.name = entry->GetName();
        state.checkSum = entry->GetCheckSum();
        state.index = entry->GetIndex();
        state.data.resize(entry->GetLength());
        state.dataResult = entry->GetData(state.data.data());
        states.push_back(std::move(state));
    }
    return states;
}

}  // namespace archivetest
