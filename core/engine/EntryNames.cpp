#include "engine/EntryNames.h"

#include "EntryNameCodec.h"

#include <cstdio>

namespace tomelens::core {

namespace {

bool IsControl(char32_t character)
{
    return character < 0x20 || (character >= 0x7F && character < 0xA0);
}

}  // namespace

std::optional<std::string> NameFromText(std::string_view utf8, std::string& problem)
{
    std::string bytes;
    char32_t bad = 0;
    if (EntryNameFromUtf8(utf8, bytes, &bad))
        return bytes;
    problem = "holds " + DescribeCharacter(bad) + ", which an archive entry name cannot hold";
    return std::nullopt;
}

std::string ShownName(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    for (char c : bytes) {
        if (IsControl(EntryNameChar(static_cast<unsigned char>(c)))) {
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

std::string NameForFile(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text += IsControl(EntryNameChar(static_cast<unsigned char>(c))) ? std::string("_")
                                                                         : EntryNameToUtf8(std::string_view(&c, 1));
    return text;
}

std::string EntryLabel(std::string_view bytes)
{
    return "entry \"" + ShownName(bytes) + "\"";
}

}  // namespace tomelens::core
