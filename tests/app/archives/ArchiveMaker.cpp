#include "ArchiveMaker.h"

#include "archive/DMDataFile.h"

#include <QFile>

#include <zlib.h>

namespace {

void PutWord(QByteArray& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

QByteArray Pack(const QByteArray& data, bool corrupt)
{
    QByteArray packed;
    for (qsizetype done = 0; done < data.size(); done += 8192) {
        const qsizetype chunk = std::min<qsizetype>(8192, data.size() - done);
        uLongf room = compressBound(static_cast<uLong>(chunk));
        QByteArray stream(static_cast<qsizetype>(room), '\0');
        compress2(reinterpret_cast<Bytef*>(stream.data()), &room,
                  reinterpret_cast<const Bytef*>(data.constData() + done), static_cast<uLong>(chunk), 9);
        stream.resize(static_cast<qsizetype>(room));
        if (corrupt && done == 0)
            stream[stream.size() - 1] = static_cast<char>(stream[stream.size() - 1] ^ 0x5A);
        PutWord(packed, static_cast<std::uint32_t>(stream.size()));
        PutWord(packed, static_cast<std::uint32_t>(chunk));
        packed.append(stream);
    }
    return packed;
}

}  // namespace

QByteArray MakeArchive(const std::vector<TestEntry>& entries, std::uint32_t nameListCheckSum)
{
    QByteArray nameList;
    PutWord(nameList, static_cast<std::uint32_t>(entries.size()));
    for (const TestEntry& entry : entries) {
        PutWord(nameList, static_cast<std::uint32_t>(entry.name.size() + 1));
        nameList.append(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
        nameList.append('\0');
    }

    struct Record {
        std::uint32_t checkSum, offset, length;
    };
    std::vector<Record> records;
    QByteArray dataArea;
    for (const TestEntry& entry : entries) {
        records.push_back({entry.checkSum, static_cast<std::uint32_t>(12 + dataArea.size()),
                           static_cast<std::uint32_t>(entry.data.size())});
        dataArea.append(Pack(entry.data, entry.corrupt));
    }
    records.push_back({nameListCheckSum, static_cast<std::uint32_t>(12 + dataArea.size()),
                       static_cast<std::uint32_t>(nameList.size())});
    dataArea.append(Pack(nameList, false));

    QByteArray file;
    PutWord(file, static_cast<std::uint32_t>(12 + dataArea.size()));
    file.append("PFS ", 4);
    PutWord(file, 0x00020000);
    file.append(dataArea);
    PutWord(file, static_cast<std::uint32_t>(records.size()));
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        PutWord(file, it->checkSum);
        PutWord(file, it->offset);
        PutWord(file, it->length);
    }
    return file;
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray PatternBytes(int length, int seed)
{
    QByteArray bytes(length, '\0');
    std::uint32_t state = 2166136261u ^ static_cast<std::uint32_t>(seed);
    for (int i = 0; i < length; ++i) {
        state = state * 16777619u + 0x9E37u;
        bytes[i] = static_cast<char>((state >> 13) % 23 + 'a');
    }
    return bytes;
}

ReadBack ReadWithLibrary(const QString& path)
{
    ReadBack result;
    DMDataFile* file = CreateDMDataFile(nullptr);
    if (file->Load(QFile::encodeName(path).constData()) == 0) {
        result.loaded = true;
        for (unsigned position = 0; position < file->GetNumEntries(); ++position) {
            const DMDataFileEntry* entry = file->GetEntry(position);
            TestEntry copy;
            copy.name = entry->GetName();
            copy.checkSum = entry->GetCheckSum();
            copy.data = QByteArray(static_cast<qsizetype>(entry->GetLength()), '\0');
            copy.corrupt = entry->GetData(copy.data.data()) != 0;
            result.entries.push_back(copy);
        }
    }
    DestroyDMDataFile(file);
    return result;
}
