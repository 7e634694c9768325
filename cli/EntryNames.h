#pragma once

#include <optional>
#include <string>
#include <string_view>

// Entry names are windows-1252 bytes; the command line and the terminal speak
// the locale's encoding, taken to be UTF-8. These convert at that border.

// The name bytes for a name typed on the command line. A character the
// archive cannot hold is reported against `what` (the argument's role) and
// gives nothing.
std::optional<std::string> NameFromArgument(const std::string& text, std::string_view what);

// An entry name as one line of UTF-8 text: control characters (C0, DEL and
// C1) are shown as \xNN of the name byte, so a name cannot steer the terminal.
std::string ShownName(std::string_view bytes);

// An entry name as UTF-8, unescaped: for file names and JSON.
std::string NameAsUtf8(std::string_view bytes);
