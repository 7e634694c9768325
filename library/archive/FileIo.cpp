#include "archive/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tomelens::archive {

namespace {
// read() and write() move at most about 2 GiB per call on Linux.
constexpr std::uint64_t kMaxChunk = 1u << 30;
}  // namespace

FileHandle::FileHandle(FileHandle&& other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

FileHandle::~FileHandle()
{
    Close();
}

bool FileHandle::Close()
{
    if (m_fd < 0)
        return true;
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

FileHandle OpenRegularFileForReading(const char* path, std::uint64_t& size)
{
    FileHandle file(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file.Valid() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return FileHandle();
    size = static_cast<std::uint64_t>(info.st_size);
    return file;
}

std::uint64_t ReadFully(int fd, void* dest, std::uint64_t count)
{
    auto* bytes = static_cast<unsigned char*>(dest);
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, bytes + done, std::min(count - done, kMaxChunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::uint64_t>(got);
    }
    return done;
}

bool WriteFully(int fd, const void* source, std::uint64_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(source);
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd, bytes + done, std::min(count - done, kMaxChunk));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::uint64_t>(put);
    }
    return true;
}

}  // namespace tomelens::archive
