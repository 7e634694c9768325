#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Writes archives byte by byte from the file layout, independently of the
// library: blocks of at most 8192 bytes, each a zlib stream behind its sizes,
// the name list last in the data area.
struct TestEntry {
    std::string name;
    QByteArray data;
    std::uint32_t checkSum = 0;
    bool corrupt = false;  // its first block's stream is damaged
};

// The directory lists the records in the reverse of data order, so entries of
// length 0 keep their names under the reader's rule for equal offsets.
QByteArray MakeArchive(const std::vector<TestEntry>& entries, std::uint32_t nameListCheckSum = 0);

bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// Some bytes that are not all alike, so a mix-up between entries shows.
QByteArray PatternBytes(int length, int seed);

// What the library reads back from an archive file.
struct ReadBack {
    bool loaded = false;
    std::vector<TestEntry> entries;  // in data order
};
ReadBack ReadWithLibrary(const QString& path);
