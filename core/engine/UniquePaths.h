#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace tomelens::core {

// Hands out the relative paths of one extraction so that no two entries
// share a file and no file sits where another entry needs a folder: a part
// that clashes with an earlier file or folder gets "~2", "~3", ... appended
// ("dup" then "dup~2"; "a" as a file, then "a/b" becomes "a~2/b").
class UniquePaths {
public:
    // Claims a path for safePath (parts separated by '/', none empty).
    std::string Claim(const std::string& safePath);

private:
    std::unordered_set<std::string> m_files;
    std::unordered_set<std::string> m_folders;
    // The next number to try for each clashing path, so a thousand entries of
    // one name cost a thousand claims, not half a million tries.
    std::unordered_map<std::string, unsigned> m_nextNumber;
};

}  // namespace tomelens::core
