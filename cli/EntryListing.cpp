#include "EntryListing.h"

#include "Diagnostics.h"

#include <cstdio>

std::string Hex8(unsigned value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string FormatEntryLine(const EntryInfo& entry)
{
    char numbers[40];
    std::snprintf(numbers, sizeof numbers, "%10u %10u %s ", entry.length, entry.packedLength,
                  Hex8(entry.checkSum).c_str());
    return numbers + DisplayName(entry.name);
}

std::string JsonString(std::string_view bytes)
{
    std::string json = "\"";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                char escaped[7];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                json += escaped;
            } else {
                json += c;
            }
        }
    }
    return json + "\"";
}

std::string FormatEntriesJson(const std::vector<EntryInfo>& entries)
{
    if (entries.empty())
        return "[]";
    std::string json = "[\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const EntryInfo& entry = entries[i];
        json += "  {\"name\": " + JsonString(entry.name) + ", \"length\": " + std::to_string(entry.length)
              + ", \"packedLength\": " + std::to_string(entry.packedLength) + ", \"checksum\": \""
              + Hex8(entry.checkSum) + "\"}";
        json += i + 1 < entries.size() ? ",\n" : "\n";
    }
    return json + "]";
}
