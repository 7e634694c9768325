#pragma once

#include "archive/DMDataFile.h"

#include <cstdio>
#include <memory>
#include <string>

// Opening files that come from outside (the game folder, the user's
// arguments): a FIFO or a device in a file's place must neither hang the
// program nor be read, so the file is opened without blocking and checked to
// be a regular file before a byte is read.
namespace tomelens::core {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// The file opened for binary reading, or null when it cannot be opened or is
// not a regular file (then `error`, if given, holds the errno value: EISDIR
// for a folder, EINVAL for anything else that is not a regular file). `size`,
// if given, receives the file's length.
UniqueFile OpenRegularFile(const std::string& path, unsigned long long* size = nullptr, int* error = nullptr);

// Why OpenRegularFile failed, in words: "no such file", "is a folder, not a
// file", "is not a regular file", or "cannot be opened: <the system's reason>".
std::string OpenProblemText(int error);

// The stamp of an open file (device, file number, size, times), so a reader
// can tell whether another program changed it while it was read.
bool StampOf(std::FILE* file, DMFileStamp& stamp);

}  // namespace tomelens::core
