#pragma once

#include <cstdint>

// Small POSIX file helpers: an owning descriptor and whole reads and writes.
namespace tomelens::archive {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Closes now; false when the close reported an error (data may be lost).
    bool Close();

private:
    int m_fd = -1;
};

// Opens a regular file for reading and reports its size. Anything that is not a
// regular file (directory, device, pipe) gives an invalid handle, as does a
// failed open; a pipe is never waited on.
FileHandle OpenRegularFileForReading(const char* path, std::uint64_t& size);

// Reads until `count` bytes arrived, the file ended or an error occurred;
// returns the number of bytes read.
std::uint64_t ReadFully(int fd, void* dest, std::uint64_t count);

// Writes all `count` bytes; false on any error or short write.
bool WriteFully(int fd, const void* source, std::uint64_t count);

}  // namespace tomelens::archive
