#pragma once

#include "archive/FileIo.h"

#include <cstdint>

// The archive file a container was indexed from, kept open so that entries can
// read their packed bytes from it on demand. Entries share it; it closes when
// the last of them lets go.
namespace tomelens::archive {

struct ArchiveSource {
    FileHandle file;
    std::uint64_t size = 0;
};

}  // namespace tomelens::archive
