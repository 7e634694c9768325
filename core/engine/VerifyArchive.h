#pragma once

#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tomelens::core {

struct VerifyReport {
    // Success when the archive opens and every entry unpacks to its length;
    // otherwise the first failure (or step Changed, or Cancelled).
    Outcome outcome;
    std::size_t entries = 0;        // live entries checked
    std::vector<Outcome> failures;  // one per entry that fails, in data order
    // With checksums compared: one per entry whose stored checksum is not its
    // data's. Only a warning, since nothing makes a stored checksum match.
    std::vector<Outcome> warnings;
};

// Checks the archive at path: its structure, then every entry's blocks, on
// every core, without keeping any data.
VerifyReport VerifyArchive(const std::string& path, bool compareCheckSums, const ProgressCallback& progress);

}  // namespace tomelens::core
