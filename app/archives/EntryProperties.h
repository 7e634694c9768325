#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <optional>

class DMDataFileEntry;

// The checksum of an entry's current data, as the library's CheckSum gives it;
// nothing when the data cannot be read (packed data corrupt).
std::optional<std::uint32_t> ComputedCheckSum(const DMDataFileEntry& entry);

// The lines of an entry's Properties: label and value.
QList<QPair<QString, QString>> EntryPropertyLines(const DMDataFileEntry& entry, int position);
