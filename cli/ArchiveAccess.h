#pragma once

#include "archive/DMDataFile.h"
#include "archive/DMDataFileEntry.h"

#include <memory>
#include <string>
#include <vector>

// A container made and freed by the library's factory pair.
struct DataFileDeleter {
    void operator()(DMDataFile* file) const { DestroyDMDataFile(file); }
};
using DataFilePtr = std::unique_ptr<DMDataFile, DataFileDeleter>;

// A new, empty container; throws std::bad_alloc when the library gives none.
DataFilePtr NewDataFile();

// Opens the archive at path: its header, directory and name list are read,
// and the entries read their data from the file when asked, so memory does
// not grow with the data. On failure returns null and sets problem to what is
// wrong, in words.
DataFilePtr OpenArchive(const std::string& path, std::string& problem);

// Positions of every live entry, in data order.
std::vector<unsigned> AllEntries(DMDataFile& file);

// Why a file cannot be read as an input file (missing, a folder, a FIFO...),
// or empty when it is a regular file. Looks without opening it.
std::string InputFileProblem(const std::string& path);
