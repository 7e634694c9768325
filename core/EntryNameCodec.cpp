#include "EntryNameCodec.h"

#include <array>
#include <cstdio>
#include <optional>

namespace tomelens::core {

namespace {

// Bytes 0x80-0x9F; the rest of the code page equals the first 256 code points.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<unsigned char> ByteFor(char32_t c)
{
    if (c == 0)
        return std::nullopt;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}


// Reads one UTF-8 character at `at`; nullopt for malformed or overlong input.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    int more = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (more < 0 || at + more > text.size())
        return std::nullopt;
    char32_t c = lead & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        const auto next = static_cast<unsigned char>(text[at++]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        c = c << 6 | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    return c;
}

bool Fail(char32_t* bad, char32_t c)
{
    if (bad)
        *bad = c;
    return false;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t EntryNameChar(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

std::u16string DecodeEntryName(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (const char b : bytes)
        text += static_cast<char16_t>(EntryNameChar(static_cast<unsigned char>(b)));
    return text;
}

std::string EntryNameToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char b : bytes)
        AppendUtf8(text, EntryNameChar(static_cast<unsigned char>(b)));
    return text;
}

bool EncodeEntryName(std::u16string_view text, std::string& bytes, char32_t* bad)
{
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        const auto byte = ByteFor(c);
        if (!byte)
            return Fail(bad, c);
        bytes += static_cast<char>(*byte);
    }
    return true;
}

bool EntryNameFromUtf8(std::string_view utf8, std::string& bytes, char32_t* bad)
{
    bytes.clear();
    for (std::size_t at = 0; at < utf8.size();) {
        const auto c = NextUtf8(utf8, at);
        if (!c)
            return Fail(bad, 0xFFFD);
        const auto byte = ByteFor(*c);
        if (!byte)
            return Fail(bad, *c);
        bytes += static_cast<char>(*byte);
    }
    return true;
}

std::string DescribeCharacter(char32_t c)
{
    std::string text;
    if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0))
        AppendUtf8(text, c), text += ' ';
    char code[16];
    std::snprintf(code, sizeof code, "(U+%04X)", static_cast<unsigned>(c));
    return text + code;
}

}  // namespace tomelens::core
