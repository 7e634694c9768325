#pragma once

#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <filesystem>
#include <string>

namespace tomelens::core {

// Writes every entry of the archive as a file below `folder` (missing or
// empty), named exactly as extract names it, and then the manifest
// tomelens.json that lets pack rebuild the archive. The manifest's place is
// held by an empty file from the start, so an entry of that name is written
// beside it ("tomelens.json~2"), and a folder whose unpack failed half way is
// never taken for a finished one.
Outcome Unpack(const std::string& archivePath, const std::filesystem::path& folder,
               const ProgressCallback& progress = {});

}  // namespace tomelens::core
