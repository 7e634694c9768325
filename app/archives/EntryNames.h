#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

// Entry names are single bytes as the archive stores them, in the game's code
// page (windows-1252): every byte is shown as one character and written back
// as the same byte.
QString EntryDisplayName(const char* name);

// The bytes to store for a name typed or chosen by the user; nothing when a
// character has no byte in the code page (or is NUL, which would cut the
// name), with that character in *bad when asked for.
std::optional<QByteArray> EntryNameBytes(const QString& name, char32_t* bad = nullptr);

// The message shown when EntryNameBytes refuses a name; the second form also
// names the character that cannot be stored.
QString NameNotStorableMessage();
QString NameNotStorableMessage(char32_t bad);

// A path as the file system and the engine take it.
std::string LocalPath(const QString& path);

// A file name for an entry name that stays inside the directory it is put in
// (core's SafeFileName on the name's text).
QString SafeFileName(const QString& entryName);
