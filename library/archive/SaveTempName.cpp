#include "archive/SaveTempName.h"

#include <cstdio>

namespace tomelens::archive {

namespace {

constexpr std::string_view kPrefix = ".tl~";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kHashDigits = 8;

// FNV-1a: cheap and well spread over short strings.
constexpr std::uint32_t kHashStart = 2166136261u;
std::uint32_t HashMore(std::uint32_t hash, std::string_view text)
{
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

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

// Reads 8 lowercase hex digits and a '-'.
bool ReadHash(std::string_view& text, std::uint32_t& value)
{
    if (text.size() <= kHashDigits || text[kHashDigits] != '-')
        return false;
    value = 0;
    for (std::size_t i = 0; i < kHashDigits; ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(c >= 'a' && c <= 'f'))
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit ? c - '0' : c - 'a' + 10);
    }
    text.remove_prefix(kHashDigits + 1);
    return true;
}

}  // namespace

std::uint32_t TargetNameHash(std::string_view targetName)
{
    return HashMore(kHashStart, targetName);
}

std::uint32_t MachineTagOf(std::string_view hostName, std::string_view bootId)
{
    // The separator keeps "ab"+"c" apart from "a"+"bc".
    return HashMore(HashMore(HashMore(kHashStart, hostName), "\n"), bootId);
}

std::string SaveTempName(const SaveTempOwner& owner, unsigned n)
{
    char name[80];
    std::snprintf(name, sizeof name, ".tl~%08x-%08x-%llu-%u.tmp", static_cast<unsigned>(owner.target),
                  static_cast<unsigned>(owner.machine), static_cast<unsigned long long>(owner.pid), n);
    return name;
}

bool ParseSaveTempName(std::string_view name, SaveTempOwner& owner)
{
    if (name.substr(0, kPrefix.size()) != kPrefix)
        return false;
    name.remove_prefix(kPrefix.size());
    SaveTempOwner read;
    std::uint64_t number = 0;
    if (!ReadHash(name, read.target) || !ReadHash(name, read.machine) || !ReadNumber(name, '-', read.pid) ||
        !ReadNumber(name, '.', number) || name != kSuffix.substr(1))
        return false;
    owner = read;
    return true;
}

}  // namespace tomelens::archive
