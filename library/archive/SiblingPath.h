#pragma once

#include <string>
#include <string_view>

// Paths of files in the same folder as a target path, so that a temporary
// file can later be renamed over the target without crossing file systems.
namespace tomelens::archive {

enum class PathStyle {
    Posix,    // '/' separates folders
    Windows,  // '/' or '\' separates folders, and "C:" names a drive
};

// Where the last name of `path` begins: just past its last separator (or a
// drive prefix), 0 when it has neither.
std::size_t NameStart(std::string_view path, PathStyle style);

// The target's folder part (verbatim, separator included) followed by `name`.
// Empty when `target` names no file: it is empty or ends in a separator.
std::string SiblingPath(std::string_view target, std::string_view name, PathStyle style);

// The folder that holds `target`, fit to open: "." when the path has no folder part.
std::string FolderOf(std::string_view target, PathStyle style);

}  // namespace tomelens::archive
