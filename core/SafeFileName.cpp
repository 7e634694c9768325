#include "SafeFileName.h"

namespace tomelens::core {

namespace {

// Keeps names within one path component (255 bytes) on every file system.
constexpr std::size_t kMaxLength = 200;
constexpr std::size_t kKeptStem = 60;
constexpr std::size_t kMaxKeptSuffix = 16;

bool Unfit(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

// The longest start of text of at most `limit` bytes that ends on a character boundary.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

}  // namespace

std::string SafeFileName(std::string_view name)
{
    if (name.find_first_not_of('.') == std::string_view::npos)
        return std::string(name.empty() ? 1 : name.size(), '_');
    std::string safe;
    safe.reserve(name.size());
    for (const char c : name)
        safe += Unfit(static_cast<unsigned char>(c)) ? '_' : c;
    if (safe.size() <= kMaxLength)
        return safe;
    const std::size_t dot = safe.rfind('.');
    const bool keepSuffix = dot != std::string::npos && dot > 0 && safe.size() - dot <= kMaxKeptSuffix;
    const std::string_view view(safe);
    const std::string_view stem = keepSuffix ? view.substr(0, dot) : view;
    return std::string(CutAtCharacter(stem, kKeptStem)) + std::string(keepSuffix ? view.substr(dot) : std::string_view());
}

}  // namespace tomelens::core
