#pragma once

#include <string>
#include <string_view>
#include <vector>

// What `list` shows of one entry.
struct EntryInfo {
    std::string name;
    unsigned length = 0;
    unsigned packedLength = 0;
    unsigned checkSum = 0;
};

// A checksum as 8 lower-case hex digits.
std::string Hex8(unsigned value);

// One line of the plain listing: length and packed length right-aligned in
// ten columns, the checksum as 8 hex digits, then the name (control bytes as
// \xNN so every entry keeps to one line). No line end.
std::string FormatEntryLine(const EntryInfo& entry);

// A JSON string literal for a byte string read as Latin-1: quotes, backslash
// and control bytes are escaped, and every byte from 0x80 up is written as
// \u00XX (its Latin-1 code point), so the output is plain ASCII.
std::string JsonString(std::string_view bytes);

// The --json listing: an array with one object per entry, in the given order:
// {"name": ..., "length": ..., "packedLength": ..., "checksum": "xxxxxxxx"}.
std::string FormatEntriesJson(const std::vector<EntryInfo>& entries);
