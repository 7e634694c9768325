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

NativeFile FileHandle::Adopt(NativeFile file)
{
    return file < 0 ? kNone : file;
}

bool FileHandle::CloseNative(NativeFile file)
{
    return ::close(file) == 0;
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

namespace {
// Moves up to `count` bytes with read() or write(), retrying when interrupted;
// returns how many moved before the end of the file or an error.
template <typename Byte, typename Call>
std::uint64_t Transfer(int fd, Byte* bytes, std::uint64_t count, Call call)
{
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t moved = call(fd, bytes + done, std::min(count - done, kMaxChunk));
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0)
            break;
        done += static_cast<std::uint64_t>(moved);
    }
    return done;
}
}  // namespace

std::uint64_t ReadFully(int fd, void* dest, std::uint64_t count)
{
    return Transfer(fd, static_cast<unsigned char*>(dest), count,
                    [](int f, void* p, std::size_t n) { return ::read(f, p, n); });
}

bool WriteFully(int fd, const void* source, std::uint64_t count)
{
    return Transfer(fd, static_cast<const unsigned char*>(source), count,
                    [](int f, const void* p, std::size_t n) { return ::write(f, p, n); }) == count;
}

}  // namespace tomelens::archive
