#pragma once

#include "archive/DMDataFileEntry.h"
#include "engine/ArchiveWatch.h"
#include "engine/Outcome.h"

#include <string>
#include <vector>

// One entry's plain data, for the window's view, preview, drag-out and
// Save Data. With a watch, data read while another program rewrote the
// archive is discarded and the result is step Changed.
namespace tomelens::core {

// Writes the data to path, which takes it in one step only once the data was
// read whole and the archive found unchanged; otherwise path is left as it was.
Outcome SaveEntryData(const DMDataFileEntry& entry, const std::string& path, const ArchiveWatch* watch = nullptr);

// Reads the data into memory.
Outcome ReadEntryData(const DMDataFileEntry& entry, std::vector<unsigned char>& data,
                      const ArchiveWatch* watch = nullptr);

}  // namespace tomelens::core
