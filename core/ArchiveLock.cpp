#include "ArchiveLock.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include "WindowsHeaders.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tomelens::core {

namespace {

constexpr std::chrono::milliseconds kPollInterval{25};

std::string BusyText(const std::filesystem::path& path)
{
    return "another program is changing " + path.filename().string() + "; try again when it has finished";
}

}  // namespace

#ifdef _WIN32

std::optional<FileIdentity> FileIdentity::Of(const std::filesystem::path& path)
{
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok)
        return std::nullopt;
    FileIdentity id;
    id.device = info.dwVolumeSerialNumber;
    id.file = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    id.modifiedNs = static_cast<std::int64_t>(
        ((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime) * 100);
    return id;
}

ArchiveLock::Attempt ArchiveLock::TryOnce(const std::filesystem::path& path, std::string& error)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return Attempt::Absent;
        error = std::system_category().message(static_cast<int>(GetLastError()));
        return Attempt::Failed;
    }
    // One byte far past any data the 32-bit format can hold.
    OVERLAPPED at{};
    at.OffsetHigh = 0x7FFFFFFF;
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        CloseHandle(h);
        return Attempt::Busy;
    }
    BY_HANDLE_FILE_INFORMATION held;
    const auto now = FileIdentity::Of(path);
    if (GetFileInformationByHandle(h, &held) && now &&
        now->file == ((std::uint64_t(held.nFileIndexHigh) << 32) | held.nFileIndexLow)) {
        m_handle = h;
        return Attempt::Locked;
    }
    CloseHandle(h);
    return Attempt::Replaced;
}

void ArchiveLock::Release()
{
    if (m_handle != kNoHandle)
        CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = kNoHandle;
}

#else

std::optional<FileIdentity> FileIdentity::Of(const std::filesystem::path& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    FileIdentity id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.file = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::uint64_t>(st.st_size);
#ifdef __APPLE__
    id.modifiedNs = std::int64_t(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    id.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
    return id;
}

ArchiveLock::Attempt ArchiveLock::TryOnce(const std::filesystem::path& path, std::string& error)
{
    // Non-blocking, so a FIFO in the archive's place cannot hang us.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return Attempt::Absent;
        error = std::strerror(errno);
        return Attempt::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int cause = errno;
        ::close(fd);
        if (cause == EWOULDBLOCK)
            return Attempt::Busy;
        error = std::strerror(cause);
        return Attempt::Failed;
    }
    struct stat held, now;
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &now) == 0 && held.st_dev == now.st_dev &&
        held.st_ino == now.st_ino) {
        m_handle = fd;
        return Attempt::Locked;
    }
    ::close(fd);
    return Attempt::Replaced;
}

void ArchiveLock::Release()
{
    if (m_handle != kNoHandle)
        ::close(m_handle);
    m_handle = kNoHandle;
}

#endif

bool ArchiveLock::Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait, std::string& error)
{
    Release();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        switch (TryOnce(path, error)) {
        case Attempt::Locked:
        case Attempt::Absent:
            return true;
        case Attempt::Failed:
            return false;
        case Attempt::Replaced:
            // Another writer replaced the file while we waited: lock the new one.
            continue;
        case Attempt::Busy:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error = BusyText(path);
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

ArchiveLock::~ArchiveLock()
{
    Release();
}

}  // namespace tomelens::core
