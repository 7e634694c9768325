#include "EntryNames.h"

#include "Diagnostics.h"
#include "EntryNameCodec.h"

#include <cstdio>

using namespace tomelens::core;

std::optional<std::string> NameFromArgument(const std::string& text, std::string_view what)
{
    std::string bytes;
    char32_t bad = 0;
    if (EntryNameFromUtf8(text, bytes, &bad))
        return bytes;
    ReportError(DisplayName(text), std::string(what) + " holds " + DescribeCharacter(bad)
                                       + ", which an archive entry name cannot hold");
    return std::nullopt;
}

std::string ShownName(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    for (char c : bytes) {
        const char32_t character = EntryNameChar(static_cast<unsigned char>(c));
        if (character < 0x20 || (character >= 0x7F && character < 0xA0)) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
            shown += escaped;
        } else {
            shown += EntryNameToUtf8(std::string_view(&c, 1));
        }
    }
    return shown;
}

std::string NameAsUtf8(std::string_view bytes)
{
    return EntryNameToUtf8(bytes);
}
