#pragma once

#include <cstdint>

// The largest archive file Save may write. It is the 32-bit format's limit;
// tests lower it to reach the refusal without writing gigabytes.
namespace tomelens::archive {

std::uint64_t MaxArchiveFileSize();
void SetMaxArchiveFileSize(std::uint64_t bytes);

}  // namespace tomelens::archive
