#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Entry names are single bytes as the archive stores them: shown through
// Latin-1 so that every byte round-trips, and written back the same way.
QString EntryDisplayName(const char* name);

// The bytes to store for a name typed or chosen by the user; nothing when a
// character does not fit in one byte (or is NUL, which would cut the name).
std::optional<QByteArray> EntryNameBytes(const QString& name);

// The message shown when EntryNameBytes refuses a name.
QString NameNotStorableMessage();

// A file name for an entry name that stays inside the directory it is put in:
// no separators or characters that file names cannot hold, never "", "." or
// "..", and short enough for one path component. Equal names give equal results.
QString SafeFileName(const QString& entryName);
