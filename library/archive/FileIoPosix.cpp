#include "archive/FileIo.h"

#include "archive/DMDataFile.h"

#include "archive/LastError.h"

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
    ClearSystemError();
    // Without O_NONBLOCK, opening a pipe with no writer would wait for one.
    FileHandle file(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file.Valid() || ::fstat(file.Get(), &info) != 0) {
        RecordSystemError();
        return FileHandle();
    }
    // Not a system failure: the file is simply not one we read.
    if (!S_ISREG(info.st_mode))
        return FileHandle();
    const int flags = ::fcntl(file.Get(), F_GETFL);
    if (flags == -1 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) == -1) {
        RecordSystemError();
        return FileHandle();
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return file;
}

bool StampOf(NativeFile file, DMFileStamp& stamp)
{
    struct stat info {};
    if (::fstat(file, &info) != 0)
        return false;
    constexpr std::int64_t kBillion = 1000000000;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.file = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * kBillion + info.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t(info.st_ctim.tv_sec) * kBillion + info.st_ctim.tv_nsec;
    return true;
}

namespace {
// Moves up to `count` bytes with read() or write(), retrying when interrupted;
// returns how many moved before the end of the file or an error, and records
// the error.
template <typename Byte, typename Call>
std::uint64_t Transfer(int fd, Byte* bytes, std::uint64_t count, Call call)
{
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t moved = call(fd, bytes + done, std::min(count - done, kMaxChunk));
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0)
            RecordSystemError();
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
    return Transfer(fd, static_cast<const unsigned char*>(source), count, [](int f, const void* p, std::size_t n) {
               const ssize_t moved = ::write(f, p, n);
               // A write that moves nothing and reports nothing means there is no room.
               if (moved == 0)
                   errno = ENOSPC;
               return moved == 0 ? ssize_t{-1} : moved;
           }) == count;
}

}  // namespace tomelens::archive
