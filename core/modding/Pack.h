#pragma once

#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tomelens::core {

struct PackOptions {
    // The archive the folder was unpacked from; empty: the one the manifest names.
    std::filesystem::path original;
    // Changed and added entries get the CRC-32 of their data as checksum;
    // otherwise changed entries keep the stored value and added ones get 0.
    bool updateCrc = false;
};

// A changed entry that kept its stored checksum although that no longer
// matches its data (it matched the data it had when unpacked).
struct StaleCheckSum {
    std::string name;  // the stored bytes
    std::uint32_t stored = 0;
    std::uint32_t ofData = 0;
};

struct PackReport {
    bool usedManifest = false;
    std::size_t kept = 0;     // copied as packed bytes from the original
    std::size_t changed = 0;  // packed anew from their files
    std::size_t added = 0;
    std::size_t removed = 0;
    std::vector<StaleCheckSum> disagreeing;  // in archive order
};

// Builds an archive from a folder. With the manifest unpack left in it, the
// entries keep their order, names and checksums, untouched files are copied
// as the original's packed bytes, changed files are packed anew, files no
// longer there are dropped and new files are appended in list order, named
// after their path in the folder. Without a manifest every file becomes an
// entry, in list order. Anything the manifest cannot follow is refused before
// a byte is written, and the archive is replaced in one step.
Outcome Pack(const std::filesystem::path& folder, const std::filesystem::path& archive, const PackOptions& options,
             PackReport& report, const ProgressCallback& progress = {});

}  // namespace tomelens::core
