#pragma once

#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tomelens::core {

// How an entry found in both archives differs; bits of EntryDifference::what.
enum DiffAspect : unsigned {
    kDiffSize = 1,      // plain length
    kDiffCheckSum = 2,  // stored checksum
    kDiffData = 4,      // plain bytes
    kDiffPosition = 8,  // moved against the other entries both archives hold
};

struct EntryDifference {
    enum class Kind { OnlyInA, OnlyInB, Changed };
    Kind kind = Kind::Changed;
    std::string name;  // the stored bytes
    // Data-order positions; kNoPosition on the side that lacks the entry.
    static constexpr unsigned kNoPosition = ~0u;
    unsigned positionA = kNoPosition;
    unsigned positionB = kNoPosition;
    std::uint32_t lengthA = 0, lengthB = 0;
    std::uint32_t checkSumA = 0, checkSumB = 0;
    unsigned what = 0;  // DiffAspect bits, for Changed

    bool operator==(const EntryDifference&) const = default;
};

// Compares two archives entry by entry, matched by name (entries of the same
// name in data order: the first with the first, and so on). Entries whose
// packed bytes are equal are not inflated; memory stays a few MiB whatever
// the archives' size. The differences come in A's data order, then the
// entries only in B in B's order.
Outcome DiffArchives(const std::string& pathA, const std::string& pathB, std::vector<EntryDifference>& differences,
                     const ProgressCallback& progress = {});

}  // namespace tomelens::core
