#pragma once

#include "RegularFile.h"

#include <string>

// The problem text for a file that is not there.
inline constexpr char kNoSuchFile[] = "no such file";

// Opens a file the user named for reading (core's OpenRegularFile: no wait on
// a FIFO, regular files only). On failure returns null with the reason in
// words in problem; size is the file's length on success.
tomelens::core::UniqueFile OpenInputFile(const std::string& path, std::string& problem, unsigned long long& size);
