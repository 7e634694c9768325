#pragma once

#include "archive/DMArchiveWriter.h"
#include "engine/AddFiles.h"
#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <string>
#include <vector>

// The part create and add share when they stream: one file into a new entry.
namespace tomelens::core {

// What a failing writer call means, for the archive at `archive`.
Outcome WriterFailure(const std::string& archive, int code);

// Begins an entry named source.name with `checkSum` and writes the file into
// it in pieces through `piece` (kept by the caller from file to file, so many
// small files cost no allocation each), counting bytes and then one entry.
Outcome StreamFileEntry(DMArchiveWriter& writer, const std::string& archive, const AddSource& source,
                        unsigned checkSum, ProgressReporter& progress, std::vector<unsigned char>& piece);

}  // namespace tomelens::core
