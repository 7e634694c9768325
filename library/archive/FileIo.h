#pragma once

#include <cstdint>

// Small file helpers: an owning handle and whole reads and writes. Paths are
// the library's byte strings. A failing system call is recorded for
// DMLastSystemError (LastError.h). FileIoPosix.cpp and FileIoWin32.cpp
// implement them; the build picks one by platform.
struct DMFileStamp;

namespace tomelens::archive {

#if defined(_WIN32)
using NativeFile = void*;  // a Win32 HANDLE; null when there is none
#else
using NativeFile = int;    // a POSIX descriptor; negative when there is none
#endif

class FileHandle {
public:
    FileHandle() = default;
    // Takes ownership; a failed open's result (-1, INVALID_HANDLE_VALUE) gives an invalid handle.
    explicit FileHandle(NativeFile file);
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    NativeFile Get() const { return m_file; }
    bool Valid() const { return m_file != kNone; }
    // Closes now; false when the close reported an error (data may be lost).
    bool Close();

private:
    // The platform's parts: what counts as "no file", and closing one.
    static NativeFile Adopt(NativeFile file);
    static bool CloseNative(NativeFile file);

#if defined(_WIN32)
    static constexpr NativeFile kNone = nullptr;
#else
    static constexpr NativeFile kNone = -1;
#endif
    NativeFile m_file = kNone;
};

// Opens a regular file for reading and reports its size. Anything that is not a
// regular file (directory, device, pipe) gives an invalid handle, as does a
// failed open; a pipe is never waited on. Starts a fresh error record.
FileHandle OpenRegularFileForReading(const char* path, std::uint64_t& size);

// The stamp of an open file (fstat on POSIX); false when it cannot be taken.
bool StampOf(NativeFile file, DMFileStamp& stamp);

// Reads until `count` bytes arrived, the file ended or an error occurred;
// returns the number of bytes read.
std::uint64_t ReadFully(NativeFile file, void* dest, std::uint64_t count);

// Writes all `count` bytes; false on any error or short write.
bool WriteFully(NativeFile file, const void* source, std::uint64_t count);

}  // namespace tomelens::archive
