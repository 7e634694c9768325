#include "archive/PositionalRead.h"

#include "archive/LastError.h"

#include "archive/WindowsHeaders.h"

#include <algorithm>

namespace tomelens::archive {

namespace {

// An OVERLAPPED offset makes ReadFile and WriteFile positional.
OVERLAPPED At(std::uint64_t position)
{
    OVERLAPPED at {};
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    return at;
}

}  // namespace

std::uint64_t ReadAt(NativeFile file, void* dest, std::uint64_t count, std::uint64_t offset)
{
    // ReadFile moves at most a DWORD per call.
    constexpr std::uint64_t kMaxChunk = 1u << 30;
    auto* bytes = static_cast<unsigned char*>(dest);
    std::uint64_t done = 0;
    while (done < count) {
        OVERLAPPED at = At(offset + done);
        DWORD got = 0;
        if (!::ReadFile(file, bytes + done, static_cast<DWORD>(std::min(count - done, kMaxChunk)), &got, &at)) {
            // The end of the file is no failure of the system.
            if (::GetLastError() != ERROR_HANDLE_EOF)
                RecordSystemError();
            break;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool WriteAt(NativeFile file, const void* source, std::uint64_t count, std::uint64_t offset)
{
    constexpr std::uint64_t kMaxChunk = 1u << 30;
    const auto* bytes = static_cast<const unsigned char*>(source);
    std::uint64_t done = 0;
    while (done < count) {
        OVERLAPPED at = At(offset + done);
        DWORD put = 0;
        if (!::WriteFile(file, bytes + done, static_cast<DWORD>(std::min(count - done, kMaxChunk)), &put, &at)
            || put == 0) {
            RecordSystemError();
            return false;
        }
        done += put;
    }
    return true;
}

std::uint64_t CopyRange(NativeFile, std::uint64_t, NativeFile, std::uint64_t)
{
    return 0;  // the caller reads and writes
}

}  // namespace tomelens::archive
