#pragma once

#include <string>
#include <string_view>

// Where the last name of a path begins and which folder holds it, so that a
// temporary file can be made beside a target and later renamed over it
// without crossing file systems.
namespace tomelens::archive {

enum class PathStyle {
    Posix,    // '/' separates folders
    Windows,  // '/' or '\' separates folders, and "C:" names a drive
};

// Where the last name of `path` begins: just past its last separator (or a
// drive prefix), 0 when it has neither. The path's length when it names no
// file (it is empty or ends in a separator).
std::size_t NameStart(std::string_view path, PathStyle style);
std::size_t NameStart(std::wstring_view path, PathStyle style);

// The folder that holds `target`, fit to open: "." when the path has no folder part.
std::string FolderOf(std::string_view target, PathStyle style);

}  // namespace tomelens::archive
