#include "archive/ArchiveLimits.h"

#include "archive/ArchiveFormat.h"

namespace tomelens::archive {

namespace {
std::uint64_t g_maxArchiveFileSize = kMaxFileSize;
}

std::uint64_t MaxArchiveFileSize()
{
    return g_maxArchiveFileSize;
}

void SetMaxArchiveFileSize(std::uint64_t bytes)
{
    g_maxArchiveFileSize = bytes < kMaxFileSize ? bytes : kMaxFileSize;
}

}  // namespace tomelens::archive
