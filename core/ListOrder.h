#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tomelens::core {

// The one alphabetical order of the program's sorted lists and combos:
// byte-wise and case-insensitive for ASCII letters, so texts starting with a
// blank (" Unnamed") come first, then those starting with an asterisk
// ("*** All ***"), then digits, then letters; a blank sorts before a digit,
// which puts " 5  Name" before "12  Name".
// Returns <0, 0 or >0 like strcmp.
int CompareListText(std::string_view a, std::string_view b);

// True when the texts are equal but for the case of ASCII letters.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when a sorts before b.
inline bool ListTextLess(std::string_view a, std::string_view b)
{
    return CompareListText(a, b) < 0;
}

// The indices of the texts in the list order, equal texts in index order: a
// radix sort on folded heads, for lists of many thousands of names. Texts
// must hold no NUL bytes, and there may be at most 2^32 - 1 of them.
std::vector<std::uint32_t> ListOrderOf(std::span<const std::string_view> texts);

}  // namespace tomelens::core
