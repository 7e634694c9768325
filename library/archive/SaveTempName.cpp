#include "archive/SaveTempName.h"

#include "archive/DMSaveTemp.h"

#include <cstdio>

namespace tomelens::archive {

namespace {

constexpr std::string_view kPrefix = ".tl~";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kHashDigits = 8;

// Reads decimal digits up to `stop` into `value`; false when there are none,
// when they overflow, or when `stop` does not follow.
bool ReadNumber(std::string_view& text, char stop, std::uint64_t& value)
{
    std::size_t used = 0;
    value = 0;
    while (used < text.size() && text[used] >= '0' && text[used] <= '9') {
        if (value > (UINT64_MAX - 9) / 10)
            return false;
        value = value * 10 + static_cast<unsigned>(text[used] - '0');
        ++used;
    }
    if (used == 0 || used == text.size() || text[used] != stop)
        return false;
    text.remove_prefix(used + 1);
    return true;
}

}  // namespace

std::uint32_t TargetNameHash(std::string_view targetName)
{
    // FNV-1a: cheap and well spread over short strings.
    std::uint32_t hash = 2166136261u;
    for (const char c : targetName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

std::string SaveTempName(std::string_view targetName, std::uint64_t pid, unsigned n)
{
    char name[64];
    std::snprintf(name, sizeof name, ".tl~%08x-%llu-%u.tmp", static_cast<unsigned>(TargetNameHash(targetName)),
                  static_cast<unsigned long long>(pid), n);
    return name;
}

bool ParseSaveTempName(std::string_view name, std::uint32_t& hash, std::uint64_t& pid)
{
    if (name.size() < kPrefix.size() + kHashDigits + 1 || name.substr(0, kPrefix.size()) != kPrefix)
        return false;
    name.remove_prefix(kPrefix.size());
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < kHashDigits; ++i) {
        const char c = name[i];
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(c >= 'a' && c <= 'f'))
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit ? c - '0' : c - 'a' + 10);
    }
    if (name[kHashDigits] != '-')
        return false;
    name.remove_prefix(kHashDigits + 1);
    std::uint64_t process = 0;
    std::uint64_t number = 0;
    if (!ReadNumber(name, '-', process) || !ReadNumber(name, '.', number) || name != kSuffix.substr(1))
        return false;
    hash = value;
    pid = process;
    return true;
}

}  // namespace tomelens::archive

int DMIsSaveTempName(const char* fileName)
{
    std::uint32_t hash = 0;
    std::uint64_t pid = 0;
    return fileName && tomelens::archive::ParseSaveTempName(fileName, hash, pid) ? 1 : 0;
}
