#include "archive/PositionalRead.h"

#include "archive/LastError.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tomelens::archive {

std::uint64_t ReadAt(NativeFile file, void* dest, std::uint64_t count, std::uint64_t offset)
{
    // pread() moves at most about 2 GiB per call on Linux.
    constexpr std::uint64_t kMaxChunk = 1u << 30;
    auto* bytes = static_cast<unsigned char*>(dest);
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(file, bytes + done, std::min(count - done, kMaxChunk),
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            RecordSystemError();
        if (got <= 0)
            break;
        done += static_cast<std::uint64_t>(got);
    }
    return done;
}

bool WriteAt(NativeFile file, const void* source, std::uint64_t count, std::uint64_t offset)
{
    constexpr std::uint64_t kMaxChunk = 1u << 30;
    const auto* bytes = static_cast<const unsigned char*>(source);
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t put = ::pwrite(file, bytes + done, std::min(count - done, kMaxChunk),
                                     static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            RecordSystemError();
            return false;
        }
        done += static_cast<std::uint64_t>(put);
    }
    return true;
}

std::uint64_t CopyRange(NativeFile from, std::uint64_t offset, NativeFile to, std::uint64_t count)
{
    std::uint64_t done = 0;
#if defined(__linux__)
    while (done < count) {
        off_t at = static_cast<off_t>(offset + done);
        const ssize_t copied = ::copy_file_range(from, &at, to, nullptr, count - done, 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied <= 0)
            break;  // not supported here, or a real error the plain write will meet again
        done += static_cast<std::uint64_t>(copied);
    }
#else
    (void)from, (void)offset, (void)to, (void)count;
#endif
    return done;
}

}  // namespace tomelens::archive
