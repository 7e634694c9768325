#pragma once

#include <string>
#include <string_view>

namespace tomelens::core {

// Turns an archive entry name (a byte string with no path rules of its own)
// into a relative path that cannot leave the extraction folder:
//  - '/' and '\' both separate folders; empty and "." parts are dropped;
//  - every other part is made safe by core's SafeFileName: a part made only
//    of dots becomes as many '_', ':' (so "C:" cannot name a drive or a
//    stream), the other characters Windows reserves and control characters
//    become '_'.
// The result uses '/' between parts; it is empty when nothing of the name is
// left (an empty name, "/", "./."), and the caller chooses a name then.
std::string SafeEntryPath(std::string_view name);

// The relative path for the n-th file (n >= 2) that would land on the same
// path: "dir/name~n".
std::string NumberedPath(const std::string& path, unsigned n);

}  // namespace tomelens::core
