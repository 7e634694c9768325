#pragma once

#include <string>
#include <string_view>
#include <vector>

// What `list` shows of one entry.
struct EntryInfo {
    std::string name;  // the name's bytes
    unsigned length = 0;
    unsigned packedLength = 0;
    unsigned checkSum = 0;
};

// A checksum as 8 lower-case hex digits.
std::string Hex8(unsigned value);

// One line of the plain listing: length and packed length right-aligned in
// ten columns, the checksum as 8 hex digits, then the name in UTF-8 (control
// characters as \xNN so every entry keeps to one line). No line end.
std::string FormatEntryLine(const EntryInfo& entry);

// A JSON string literal for UTF-8 text: quotes, backslash and control
// characters (C0, DEL, C1) are escaped, every other character is kept as it is.
std::string JsonString(std::string_view utf8);

// One entry of the --json listing (names as Unicode text), without indent or
// comma: {"name": ..., "length": ..., "packedLength": ..., "checksum": "xxxxxxxx"}.
std::string JsonEntryObject(const EntryInfo& entry);
