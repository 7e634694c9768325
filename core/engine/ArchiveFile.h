#pragma once

#include "archive/DMDataFile.h"
#include "archive/DMDataFileEntry.h"
#include "engine/Outcome.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Opening an archive and walking its entries: the first step of every
// operation, for the window and the command-line tool alike.
namespace tomelens::core {

// A container made and freed by the library's factory pair.
struct DataFileDeleter {
    void operator()(DMDataFile* file) const { DestroyDMDataFile(file); }
};
using DataFilePtr = std::unique_ptr<DMDataFile, DataFileDeleter>;

// A new, empty container; throws std::bad_alloc when the library gives none
// (operations run it inside Guarded).
DataFilePtr NewDataFile();

enum class LoadMode {
    Whole,  // the data area is read into memory: the file may change afterwards
    Index,  // only the directory and names; entries read from the open file when asked
};

// Opens the archive at path into `file`. On failure `file` is null and the
// outcome (step Open, subject path) says what is wrong in words: missing, a
// folder, not a regular file, not an archive, or the system's reason.
Outcome OpenArchive(const std::string& path, LoadMode mode, DataFilePtr& file);

// Positions of every live entry, in data order.
std::vector<unsigned> LiveEntries(DMDataFile& file);

// Why a file cannot be read as an input file (missing, a folder, a FIFO...),
// or empty when it is a regular file. Looks without opening it.
std::string InputFileProblem(const std::string& path);

}  // namespace tomelens::core
