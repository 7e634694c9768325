#pragma once

#include "archive/FileIo.h"

#include <cstdint>

// Reads and writes at a file offset without moving a shared file position, so several
// threads may read distinct parts of one open file at once.
// PositionalReadPosix.cpp and PositionalReadWin32.cpp hold the platform parts.
namespace tomelens::archive {

// Reads until `count` bytes arrived from `offset` on, the file ended or an
// error occurred; returns the number of bytes read.
std::uint64_t ReadAt(NativeFile file, void* dest, std::uint64_t count, std::uint64_t offset);

// Writes all `count` bytes at `offset`; false on any error or short write.
bool WriteAt(NativeFile file, const void* source, std::uint64_t count, std::uint64_t offset);

// Has the system copy `count` bytes from `offset` in `from` to the current
// position of `to`, without passing them through our memory (on Linux; a file
// system may share the blocks). Returns the bytes copied, fewer (down to 0)
// when the system cannot: the caller copies the rest itself.
std::uint64_t CopyRange(NativeFile from, std::uint64_t offset, NativeFile to, std::uint64_t count);

}  // namespace tomelens::archive
