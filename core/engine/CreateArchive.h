#pragma once

#include "engine/AddFiles.h"
#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <string>
#include <vector>

namespace tomelens::core {

// Writes a new archive at path holding the sources in order, streaming: each
// file is read in pieces and packed and written as it comes, so memory holds
// a batch of packed blocks and one record and name per entry, whatever the
// files' sizes. The file is the one a new container given the same entries
// would save. Every source is checked before anything is written; a failure or
// a cancel leaves path as it was (a file already there is replaced only at
// the end). `done` counts the entries written.
Outcome CreateArchive(const std::string& path, const std::vector<AddSource>& sources,
                      const ProgressCallback& progress);

}  // namespace tomelens::core
