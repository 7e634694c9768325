#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

// How an engine operation tells its caller how far it got, and how the caller
// stops it: one callback receives the counts and returns false to cancel.
namespace tomelens::core {

struct Progress {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;  // 0 when not known
    std::uint64_t entriesDone = 0;
    std::uint64_t entriesTotal = 0;
    std::string_view current;  // the entry or file being worked on; may be empty
};

// Called from one thread at a time (not always the caller's); false cancels.
using ProgressCallback = std::function<bool(const Progress&)>;

// The operation's side of the callback: counts work from any number of
// threads, calls the callback at most every few milliseconds (and at the
// end), and remembers a cancel so every thread sees it at its next check.
class ProgressReporter {
public:
    explicit ProgressReporter(ProgressCallback callback, std::uint64_t entriesTotal = 0,
                              std::uint64_t bytesTotal = 0)
        : m_callback(std::move(callback)), m_entriesTotal(entriesTotal), m_bytesTotal(bytesTotal)
    {
    }

    void SetTotals(std::uint64_t entriesTotal, std::uint64_t bytesTotal)
    {
        m_entriesTotal = entriesTotal;
        m_bytesTotal = bytesTotal;
    }

    // Counts work done; false once the operation is cancelled.
    bool Advance(std::uint64_t bytes, std::uint64_t entries = 0, std::string_view current = {})
    {
        m_bytes.fetch_add(bytes, std::memory_order_relaxed);
        m_entries.fetch_add(entries, std::memory_order_relaxed);
        return Report(current, false);
    }

    // Asks the callback now, whatever the time since the last call; false once cancelled.
    bool Flush(std::string_view current = {}) { return Report(current, true); }

    bool Cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    std::uint64_t EntriesDone() const { return m_entries.load(std::memory_order_relaxed); }
    std::uint64_t BytesDone() const { return m_bytes.load(std::memory_order_relaxed); }

private:
    bool Report(std::string_view current, bool force)
    {
        if (Cancelled())
            return false;
        if (!m_callback)
            return true;
        const auto now = std::chrono::steady_clock::now();
        std::unique_lock lock(m_mutex, std::defer_lock);
        if (force)
            lock.lock();
        else if (!lock.try_lock())
            return !Cancelled();
        if (!force && now - m_lastCall < kInterval)
            return true;
        m_lastCall = now;
        Progress progress;
        progress.bytesDone = BytesDone();
        progress.bytesTotal = m_bytesTotal;
        progress.entriesDone = EntriesDone();
        progress.entriesTotal = m_entriesTotal;
        progress.current = current;
        if (!m_callback(progress))
            m_cancelled.store(true, std::memory_order_relaxed);
        return !Cancelled();
    }

    static constexpr std::chrono::milliseconds kInterval{20};

    ProgressCallback m_callback;
    std::uint64_t m_entriesTotal;
    std::uint64_t m_bytesTotal;
    std::atomic<std::uint64_t> m_bytes{0};
    std::atomic<std::uint64_t> m_entries{0};
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_lastCall{};
};

}  // namespace tomelens::core
