#pragma once

#include <string>
#include <string_view>

// Archive entry names are bytes in the game's Windows code page
// (windows-1252). Every byte stands for exactly one character and back: the
// five bytes the code page leaves unassigned map to the C1 control characters
// of the same number, so any name read from an archive can be shown and
// written back unchanged. The game's other texts (the spell file's names) are
// in the same code page and are shown through the same decoder.
namespace tomelens::core {

// The character a name byte stands for.
char32_t EntryNameChar(unsigned char byte);

// The name's characters, for the window (UTF-16) and for terminals (UTF-8).
std::u16string DecodeEntryName(std::string_view bytes);
std::string EntryNameToUtf8(std::string_view bytes);

// Encodes text as name bytes. A character the code page cannot hold (or a
// NUL, or malformed text) makes it return false with that character in `bad`
// (U+FFFD for malformed text) and `bytes` unspecified.
bool EncodeEntryName(std::u16string_view text, std::string& bytes, char32_t* bad = nullptr);
bool EntryNameFromUtf8(std::string_view utf8, std::string& bytes, char32_t* bad = nullptr);

// Appends a character's UTF-8 bytes.
void AppendUtf8(std::string& out, char32_t c);

// A character as a user reads it in a message: the character itself in UTF-8
// followed by its code point ("Ā (U+0100)").
std::string DescribeCharacter(char32_t c);

}  // namespace tomelens::core
