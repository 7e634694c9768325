#include "EntryListing.h"

#include "engine/EntryNames.h"

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
    return numbers + tomelens::core::ShownName(entry.name);
}

std::string JsonString(std::string_view utf8)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const auto byte = static_cast<unsigned char>(c);
        // C1 controls are U+0080 to U+009F: C2 followed by 80 to 9F.
        if (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(utf8[++i]));
            json += escaped;
            continue;
        }
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
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

std::string JsonEntryObject(const EntryInfo& entry)
{
    return "{\"name\": " + JsonString(tomelens::core::NameAsUtf8(entry.name)) + ", \"length\": " + std::to_string(entry.length)
         + ", \"packedLength\": " + std::to_string(entry.packedLength) + ", \"checksum\": \""
         + Hex8(entry.checkSum) + "\"}";
}
