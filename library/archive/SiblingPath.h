#pragma once

#include <string>
#include <string_view>

// Names a temporary file in the same folder as a target path, so that it can
// later be renamed over the target without crossing file systems.
namespace tomelens::archive {

enum class PathStyle {
    Posix,    // '/' separates folders
    Windows,  // '/' or '\' separates folders, and "C:" names a drive
};

// Where the last name of `path` begins: just past its last separator (or a
// drive prefix), 0 when it has neither.
std::size_t NameStart(std::string_view path, PathStyle style);

// The target's folder part, then "." and the target's name, then `suffix`.
// Empty when `target` names no file: it is empty or ends in a separator.
std::string SiblingTemporaryPath(std::string_view target, std::string_view suffix, PathStyle style);

}  // namespace tomelens::archive
