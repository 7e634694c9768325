#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Packs many plain buffers into blocks on a few threads at once. Every block is
// its own level-9 stream, so the bytes do not depend on which thread packed
// them: the result is identical to packing one buffer after another.
namespace tomelens::archive {

struct PackJob {
    const unsigned char* plain = nullptr;
    std::uint32_t length = 0;
};

struct PackedBytes {
    std::shared_ptr<unsigned char> bytes;  // null when nothing was packed
    std::uint64_t size = 0;
};

// Told of the plain bytes of each piece packed, from one thread at a time;
// false stops the packing.
using PackProgress = std::function<bool(std::uint64_t plainBytes)>;

// One result per job, in the jobs' order; empty when `progress` stopped it.
// The allocator's failure on any thread reaches the caller.
std::vector<PackedBytes> PackInParallel(const std::vector<PackJob>& jobs, const PackProgress& progress = {});

// Threads that PackInParallel uses; 0 (the default) means one per core.
void SetPackThreadCount(unsigned count);
unsigned PackThreadCount();

}  // namespace tomelens::archive
