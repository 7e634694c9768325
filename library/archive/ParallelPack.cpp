#include "archive/ParallelPack.h"

#include "archive/ArchiveFormat.h"
#include "archive/BlockCodec.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

namespace tomelens::archive {

namespace {

std::atomic<unsigned> g_threadCount{0};

// Work is handed out in pieces of whole blocks, so one large entry keeps every
// thread busy and a piece's scratch room stays small.
constexpr std::uint32_t kBlocksPerPiece = 32;
constexpr std::uint32_t kPieceBytes = kBlocksPerPiece * kBlockSize;

struct Piece {
    std::size_t job;
    std::uint32_t start;   // plain offset in the job
    std::uint32_t length;  // plain bytes
    std::unique_ptr<unsigned char[]> packed;
    std::uint64_t packedSize = 0;
};

void PackPiece(const std::vector<PackJob>& jobs, Piece& piece, std::vector<unsigned char>& scratch)
{
    const std::uint64_t bound = PackedSizeBound(piece.length);
    if (scratch.size() < bound)
        scratch.resize(bound);
    std::uint64_t written = 0;
    // The bound always has room, so this cannot fail for lack of it.
    PackBlocks(jobs[piece.job].plain + piece.start, piece.length, scratch.data(), bound, written);
    piece.packed = std::make_unique_for_overwrite<unsigned char[]>(written);
    std::memcpy(piece.packed.get(), scratch.data(), written);
    piece.packedSize = written;
}

}  // namespace

void SetPackThreadCount(unsigned count)
{
    g_threadCount = count;
}

unsigned PackThreadCount()
{
    const unsigned chosen = g_threadCount;
    return chosen > 0 ? chosen : std::max(1u, std::thread::hardware_concurrency());
}

std::vector<PackedBytes> PackInParallel(const std::vector<PackJob>& jobs, const PackProgress& progress)
{
    std::vector<Piece> pieces;
    for (std::size_t job = 0; job < jobs.size(); ++job) {
        for (std::uint64_t start = 0; start < jobs[job].length; start += kPieceBytes) {
            const auto length = static_cast<std::uint32_t>(std::min<std::uint64_t>(kPieceBytes, jobs[job].length - start));
            pieces.push_back({job, static_cast<std::uint32_t>(start), length, nullptr, 0});
        }
    }

    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopped{false};
    std::exception_ptr failure;
    std::mutex failureLock;
    std::mutex progressLock;
    auto work = [&] {
        try {
            std::vector<unsigned char> scratch;
            for (std::size_t i = next++; i < pieces.size(); i = next++) {
                PackPiece(jobs, pieces[i], scratch);
                if (!progress)
                    continue;
                const std::lock_guard<std::mutex> hold(progressLock);
                if (!stopped && !progress(pieces[i].length)) {
                    stopped = true;
                    next = pieces.size();
                }
            }
        } catch (...) {
            const std::lock_guard<std::mutex> hold(failureLock);
            failure = std::current_exception();
            next = pieces.size();
        }
    };
    const unsigned threads = static_cast<unsigned>(std::min<std::size_t>(PackThreadCount(), pieces.size()));
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
    if (stopped)
        return {};

    // Join each job's pieces in order; a job of one piece keeps its buffer.
    std::vector<PackedBytes> results(jobs.size());
    for (std::size_t first = 0; first < pieces.size();) {
        std::size_t end = first;
        std::uint64_t total = 0;
        while (end < pieces.size() && pieces[end].job == pieces[first].job)
            total += pieces[end++].packedSize;
        PackedBytes& result = results[pieces[first].job];
        if (end - first == 1) {
            result.bytes.reset(pieces[first].packed.release(), std::default_delete<unsigned char[]>());
        } else {
            result.bytes.reset(new unsigned char[total], std::default_delete<unsigned char[]>());
            std::uint64_t at = 0;
            for (std::size_t i = first; i < end; ++i) {
                std::memcpy(result.bytes.get() + at, pieces[i].packed.get(), pieces[i].packedSize);
                at += pieces[i].packedSize;
                pieces[i].packed.reset();
            }
        }
        result.size = total;
        first = end;
    }
    return results;
}

}  // namespace tomelens::archive
