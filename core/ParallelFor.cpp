#include "ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tomelens::core {

unsigned WorkerThreadCount()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& work, std::size_t minItemsPerThread)
{
    const std::size_t threads =
        std::min<std::size_t>(WorkerThreadCount(), std::max<std::size_t>(1, count / std::max<std::size_t>(1, minItemsPerThread)));
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    std::mutex failureMutex;

    auto run = [&] {
        for (std::size_t i; !stop.load(std::memory_order_relaxed) && (i = next.fetch_add(1)) < count;) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                stop = true;
            }
        }
    };

    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t)
        helpers.emplace_back(run);
    run();
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace tomelens::core
