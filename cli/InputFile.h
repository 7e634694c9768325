#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct InputFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFilePtr = std::unique_ptr<std::FILE, InputFileCloser>;

// The problem text for a file that is not there.
inline constexpr char kNoSuchFile[] = "no such file";

// Opens a file the user named for reading. The open does not wait (a FIFO
// with no writer returns at once) and the file must be a regular one before a
// byte is read. On failure returns null with the reason in problem; size is
// the file's length on success.
InputFilePtr OpenInputFile(const std::string& path, std::string& problem, unsigned long long& size);
