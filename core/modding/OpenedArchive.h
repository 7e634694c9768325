#pragma once

#include "archive/DMDataFile.h"

#include <memory>
#include <string>

namespace tomelens::core {

struct DataFileDestroyer {
    void operator()(DMDataFile* file) const { DestroyDMDataFile(file); }
};
using DataFileHandle = std::unique_ptr<DMDataFile, DataFileDestroyer>;

// An empty container made by the library; throws std::bad_alloc when it gives none.
DataFileHandle NewArchive();

// The archive's index (header, directory, names) with the file kept open for
// the entries' bytes; null with the reason in words when it cannot be read.
DataFileHandle OpenArchiveIndex(const std::string& path, std::string& problem);

// What a library result code means, in words, for the operations used here.
std::string LibraryCodeText(int code);

}  // namespace tomelens::core
