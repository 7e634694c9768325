#pragma once

#include "archive/FileIo.h"

#include <cstdint>
#include <string>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

// Replaces a file so that it holds either its old content or the complete new
// content, never a mix: the bytes go to a temporary file beside the target,
// which is flushed to disk and then renamed over it. Until Commit succeeds the
// target is untouched, and an abandoned temporary file is removed.
// AtomicFileWriterPosix.cpp and AtomicFileWriterWin32.cpp hold the platform parts.
namespace tomelens::archive {

// What Open learnt about an existing target, to carry over to its replacement.
#if defined(_WIN32)
struct TargetInfo {
    std::uint64_t accessTime = 0;  // FILETIME values
    std::uint64_t writeTime = 0;
};
#else
using TargetInfo = struct stat;
#endif

enum class KeepTimes { No, Yes };

class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // Prepares to replace `target`. With KeepTimes::Yes an existing target's
    // access and modification times survive the replacement. 0 or 2.
    int Open(const char* target, KeepTimes keepTimes);
    // False once any write has failed; later writes are skipped.
    bool Write(const void* data, std::uint64_t count);
    // Puts the new content in place: 0, or 3 when anything failed.
    int Commit();

private:
    void Discard();

    std::string m_target;
    std::string m_tempPath;  // empty when writing straight to a device or pipe
    FileHandle m_file;
    KeepTimes m_keepTimes = KeepTimes::No;
    bool m_targetExisted = false;
    TargetInfo m_targetInfo {};
    bool m_failed = false;
};

}  // namespace tomelens::archive
