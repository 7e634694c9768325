#pragma once

#include <cstddef>
#include <functional>

namespace tomelens::core {

// Runs work(i) for every i in [0, count), spread over as many threads as the
// machine has cores (the caller's thread among them). Items are handed out one
// at a time from a shared counter, so uneven items still keep every thread
// busy. The first exception a worker throws is rethrown here once all threads
// have stopped. With one core, or fewer than minItemsPerThread items for a
// second thread, everything runs on the caller's thread.
void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& work,
                 std::size_t minItemsPerThread = 2);

// The number of threads ParallelFor would use at most.
unsigned WorkerThreadCount();

}  // namespace tomelens::core
