#pragma once

#include <optional>
#include <string>
#include <string_view>

// Entry names are windows-1252 bytes; file names, the command line and the
// terminal speak UTF-8. These convert at that border, for every front end.
namespace tomelens::core {

// The name bytes for a name given as UTF-8 text. A character an entry name
// cannot hold gives nothing, with `problem` saying which ("holds Ā (U+0100),
// which an archive entry name cannot hold").
std::optional<std::string> NameFromText(std::string_view utf8, std::string& problem);

// An entry name as one line of UTF-8 text: control characters (C0, DEL and
// C1) are shown as \xNN of the name byte, so a name cannot steer a terminal.
std::string ShownName(std::string_view bytes);

// An entry name as UTF-8, unescaped: for JSON and for matching.
std::string NameAsUtf8(std::string_view bytes);

// An entry name as UTF-8 for a file name: control characters (C0, DEL and
// the C1 characters the five unassigned bytes stand for) become '_'.
std::string NameForFile(std::string_view bytes);

// `entry "<name>"`, the way messages name an archive entry.
std::string EntryLabel(std::string_view bytes);

}  // namespace tomelens::core
