#pragma once

#include <string>
#include <string_view>

namespace tomelens::core {

// Makes a name (UTF-8 text; entry names after the codec) safe as one path
// component on every platform we build for, for files written from archive
// entries: separators, ':' and the other characters Windows reserves
// (*?"<>|) and control characters become '_'; a name made only of dots (or
// empty) becomes as many '_' (at least one), so it can never mean the folder
// or its parent; a name too long for a file system keeps its first 60 bytes
// and its extension. Equal names give equal results.
std::string SafeFileName(std::string_view name);

}  // namespace tomelens::core
