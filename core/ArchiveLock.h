#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// Serialises writers of one archive. A writer takes the lock before it reads
// the archive and keeps it until the new file has replaced the old one, so
// two writers can never both start from the same old content. Readers take
// no lock. The lock is advisory and lives on the archive file itself (on
// Windows as a byte range past any real data, so readers are not blocked).
namespace tomelens::core {

// What a file was when it was read: which file, how long, when last written.
// Comparing two tells whether another program replaced or changed it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    // The identity of the file at `path` now (links followed); nullopt when it cannot be read.
    static std::optional<FileIdentity> Of(const std::filesystem::path& path);
    bool operator==(const FileIdentity&) const = default;
};

class ArchiveLock {
public:
    ArchiveLock() = default;
    ~ArchiveLock();
    ArchiveLock(const ArchiveLock&) = delete;
    ArchiveLock& operator=(const ArchiveLock&) = delete;

    // Takes the lock on the archive at `path`, waiting up to `wait` for
    // another writer to finish. A file that does not exist yet needs no lock
    // (true). On failure `error` says why in words.
    bool Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait, std::string& error);
    void Release();
    bool Held() const { return m_handle != kNoHandle; }

private:
    enum class Attempt { Locked, Absent, Busy, Replaced, Failed };
    // One try at the lock, without waiting.
    Attempt TryOnce(const std::filesystem::path& path, std::string& error);

#ifdef _WIN32
    using Handle = void*;
    static inline Handle const kNoHandle = nullptr;
#else
    using Handle = int;
    static constexpr Handle kNoHandle = -1;
#endif
    Handle m_handle = kNoHandle;
};

// How long a writer waits for another one before it gives up.
inline constexpr std::chrono::milliseconds kArchiveLockWait{5000};

}  // namespace tomelens::core
