#include "SyntheticArchive.h"

#include "archive/DMDataFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <zlib.h>

namespace bench {

namespace {

std::uint32_t Word(const Bytes& bytes, std::uint64_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

Bytes TextLike(std::size_t size, std::mt19937& random)
{
    static const char* const words[] = {"the", "spell", "of", "binding", "shadow", "gate", "and", "scroll",
                                        "ancient", "tower", "north", "river", "mana", "cost", "level", "skill",
                                        "to", "a", "with", "damage", "fire", "cold", "in", "guard", "keeper"};
    Bytes text;
    text.reserve(size + 16);
    while (text.size() < size) {
        const char* word = words[random() % std::size(words)];
        text.insert(text.end(), word, word + std::char_traits<char>::length(word));
        text.push_back(random() % 12 == 0 ? '\n' : ' ');
        if (random() % 40 == 0) {
            const std::string number = std::to_string(random() % 100000);
            text.insert(text.end(), number.begin(), number.end());
        }
    }
    text.resize(size);
    return text;
}

Bytes BinaryLike(std::size_t size, std::mt19937& random)
{
    // Records of slowly changing little-endian integers with flags: about 2:1.
    Bytes data(size);
    std::uint32_t value = random();
    for (std::size_t i = 0; i < size; i += 4) {
        value += random() % 512;
        for (std::size_t b = 0; b < 4 && i + b < size; ++b)
            data[i + b] = static_cast<unsigned char>(value >> (8 * b));
    }
    return data;
}

Bytes Incompressible(std::size_t size, std::mt19937& random)
{
    Bytes data(size);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(random());
    return data;
}

}  // namespace

std::vector<SyntheticEntry> MakeEntries(std::uint64_t targetFileSize)
{
    std::mt19937 random(20261206);
    std::uniform_real_distribution<double> logSize(0.0, std::log(4.0 * 1024 * 1024));
    std::vector<SyntheticEntry> entries;
    double packedEstimate = 0;
    while (packedEstimate < double(targetFileSize)) {
        const auto size = static_cast<std::size_t>(std::exp(logSize(random)));
        const unsigned kind = static_cast<unsigned>(entries.size() % 3);
        SyntheticEntry entry;
        entry.name = "data/" + std::string(kind == 0 ? "text" : kind == 1 ? "table" : "image") +
                     std::to_string(entries.size()) + (kind == 0 ? ".txt" : ".bin");
        entry.data = kind == 0 ? TextLike(size, random) : kind == 1 ? BinaryLike(size, random)
                                                                    : Incompressible(size, random);
        packedEstimate += double(size) * (kind == 0 ? 0.3 : kind == 1 ? 0.5 : 1.0);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool WriteArchive(const std::vector<SyntheticEntry>& entries, const std::string& path)
{
    DMDataFile* archive = CreateDMDataFile(nullptr);
    archive->AddEntry();  // the name list
    for (const SyntheticEntry& source : entries) {
        DMDataFileEntry* entry = archive->GetEntry(archive->AddEntry());
        entry->SetName(source.name.c_str());
        entry->SetData(source.data.data(), static_cast<unsigned>(source.data.size()));
    }
    const bool saved = archive->Save(path.c_str()) == 0;
    DestroyDMDataFile(archive);
    return saved;
}

ArchiveLayout ReadLayout(const Bytes& file)
{
    struct Record {
        std::uint32_t offset, length, index;
    };
    const std::uint32_t directoryOffset = Word(file, 0);
    const std::uint32_t count = Word(file, directoryOffset);
    std::vector<Record> records;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = directoryOffset + 4 + 12ull * i;
        records.push_back({Word(file, at + 4), Word(file, at + 8), i});
    }
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.index > b.index;
    });

    ArchiveLayout layout;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const bool isNameList = i + 1 == records.size();
        const std::uint64_t end = isNameList ? directoryOffset : records[i + 1].offset;
        std::vector<BlockRef>& into = isNameList ? layout.nameList : layout.blocks;
        for (std::uint64_t at = records[i].offset; at + 8 < end;) {
            const std::uint32_t streamSize = Word(file, at);
            into.push_back({at + 8, streamSize, Word(file, at + 4), static_cast<std::uint32_t>(i)});
            at += 8 + streamSize;
        }
        if (isNameList)
            layout.nameListLength = records[i].length;
        else
            layout.lengths.push_back(records[i].length);
    }
    return layout;
}

namespace {

void PutWord(Bytes& out, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        out.push_back(static_cast<unsigned char>(value >> (8 * b)));
}

// Plain bytes as blocks of at most 8192, each one zlib stream at level 9.
Bytes Pack(const Bytes& plain)
{
    Bytes packed;
    for (std::size_t at = 0; at < plain.size(); at += 8192) {
        const auto chunk = static_cast<uLong>(std::min<std::size_t>(8192, plain.size() - at));
        Bytes stream(compressBound(chunk));
        uLongf size = static_cast<uLongf>(stream.size());
        compress2(stream.data(), &size, plain.data() + at, chunk, 9);
        PutWord(packed, static_cast<std::uint32_t>(size));
        PutWord(packed, static_cast<std::uint32_t>(chunk));
        packed.insert(packed.end(), stream.begin(), stream.begin() + size);
    }
    return packed;
}

}  // namespace

bool WriteLargeArchive(const std::string& path, std::uint64_t targetFileSize, std::uint32_t entryCount)
{
    std::mt19937 random(7);
    const Bytes plain = Incompressible(static_cast<std::size_t>(targetFileSize / entryCount), random);
    const Bytes packed = Pack(plain);
    Bytes names;
    PutWord(names, entryCount);
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        const std::string name = "data/level" + std::to_string(i % 97) + "/entry" + std::to_string(i) + ".bin";
        PutWord(names, static_cast<std::uint32_t>(name.size() + 1));
        names.insert(names.end(), name.begin(), name.end());
        names.push_back(0);
    }
    const Bytes packedNames = Pack(names);

    const std::uint64_t area = std::uint64_t(packed.size()) * entryCount + packedNames.size();
    Bytes header;
    PutWord(header, static_cast<std::uint32_t>(12 + area));
    PutWord(header, 0x20534650);
    PutWord(header, 0x00020000);
    Bytes directory;
    PutWord(directory, entryCount + 1);
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        PutWord(directory, i);
        PutWord(directory, static_cast<std::uint32_t>(12 + std::uint64_t(packed.size()) * i));
        PutWord(directory, static_cast<std::uint32_t>(plain.size()));
    }
    PutWord(directory, 0);
    PutWord(directory, static_cast<std::uint32_t>(12 + area - packedNames.size()));
    PutWord(directory, static_cast<std::uint32_t>(names.size()));

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool written = std::fwrite(header.data(), 1, header.size(), out) == header.size();
    for (std::uint32_t i = 0; written && i < entryCount; ++i)
        written = std::fwrite(packed.data(), 1, packed.size(), out) == packed.size();
    written = written && std::fwrite(packedNames.data(), 1, packedNames.size(), out) == packedNames.size() &&
              std::fwrite(directory.data(), 1, directory.size(), out) == directory.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace bench
