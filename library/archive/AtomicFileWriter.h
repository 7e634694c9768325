#pragma once

#include "archive/FileIo.h"
#if !defined(_WIN32)
#include "archive/InterruptCleanup.h"
#endif

#include <cstdint>
#include <functional>
#include <string>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

// Replaces a file so that it holds either its old content or the complete new
// content, never a mix: the bytes go to a temporary file beside the target
// (on Linux an unnamed one, named only once complete), which is flushed to
// disk and then renamed over it. Until Commit succeeds the target is
// untouched, and an abandoned or interrupted temporary file is removed. A
// target its owner protected from writing is refused, not replaced. Failures
// of system calls are recorded for DMLastSystemError.
// AtomicFileWriterPosix.cpp and AtomicFileWriterWin32.cpp hold the platform parts.
namespace tomelens::archive {

// Tests set this to interrupt a save at its most delicate moment: the new
// content complete under its temporary name, the target not yet replaced.
extern void (*g_beforeReplaceHook)();
// False makes every save take the named temporary file that file systems
// without unnamed files get, so tests reach that road too.
extern bool g_useUnnamedTemps;

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
    // Appends `count` bytes of `source` from `offset` on through the system's
    // own copy where it has one; returns how many it appended (the caller
    // writes the rest).
    std::uint64_t CopyFrom(NativeFile source, std::uint64_t offset, std::uint64_t count);
    // Overwrites bytes already written, `offset` bytes from the start (a
    // header whose numbers are known only at the end). False, and the writer
    // failed, when the target cannot be written at an offset (a pipe).
    bool WriteAt(std::uint64_t offset, const void* data, std::uint64_t count);
    // Puts the new content in place: 0, or 3 when anything failed.
    int Commit();

private:
    void Discard();
    bool OpenNamed(unsigned mode);
    std::string NextTempPath() const;
#if !defined(_WIN32)
    bool OpenUnnamed(unsigned mode);
    bool NameUnnamed();
    // Tries fresh temporary names with `create` until one is made or the
    // failure is not a taken name; the name made becomes the temporary file.
    bool ClaimTempName(const std::function<bool(const std::string&)>& create);
#endif

    enum class Temp {
        None,     // writing straight to a device or pipe
        Unnamed,  // an unnamed file in the target's folder, not yet linked
        Named,    // m_tempPath exists on disk
    };

    std::string m_target;
    std::string m_tempPath;
    Temp m_temp = Temp::None;
    FileHandle m_file;
#if !defined(_WIN32)
    InterruptCleanup m_cleanup;
#endif
    KeepTimes m_keepTimes = KeepTimes::No;
    bool m_targetExisted = false;
    TargetInfo m_targetInfo {};
    bool m_failed = false;
};

}  // namespace tomelens::archive
