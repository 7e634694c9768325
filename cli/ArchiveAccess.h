#pragma once

#include "archive/DMDataFile.h"
#include "archive/DMDataFileEntry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A container made and freed by the library's factory pair.
struct DataFileDeleter {
    void operator()(DMDataFile* file) const { DestroyDMDataFile(file); }
};
using DataFilePtr = std::unique_ptr<DMDataFile, DataFileDeleter>;

// A new, empty container; throws std::bad_alloc when the library gives none.
DataFilePtr NewDataFile();

// Loads the archive at path into a new container. On failure returns null and
// sets problem to what is wrong, in words.
DataFilePtr OpenArchive(const std::string& path, std::string& problem);

// Positions of the live entries whose name equals name byte for byte, in data order.
std::vector<unsigned> FindEntries(DMDataFile& file, std::string_view name);

// Positions of every live entry, in data order.
std::vector<unsigned> AllEntries(DMDataFile& file);

// Unpacks a loaded entry's data into bytes: the library's code (0 or 7). An
// entry whose length its packed bytes cannot possibly hold is corrupt; it is
// refused before anything is allocated, so a forged length cannot make us
// reserve gigabytes.
int ReadEntryData(const DMDataFileEntry& entry, std::vector<unsigned char>& bytes);

// Why a file cannot be read as an input file (missing, a folder, ...), or
// empty when it is a readable regular file.
std::string InputFileProblem(const std::string& path);
