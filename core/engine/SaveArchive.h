#pragma once

#include "archive/DMDataFile.h"
#include "engine/ArchiveWatch.h"
#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <string>

namespace tomelens::core {

// Writes the archive to path (its own file when empty), replacing the file in
// one step: until the end the old file is untouched, and a failure or a
// cancel leaves it so, with nothing written beside it. Progress counts the
// new file's bytes. With a watch, a source rewritten by another program since
// it was opened is refused (step Changed), and after a successful save the
// watch follows the container's file as it now is.
Outcome SaveArchive(DMDataFile& file, const std::string& path, const ProgressCallback& progress,
                    ArchiveWatch* watch = nullptr);

}  // namespace tomelens::core
