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

// The one way files are replaced, by the library, the program and the
// command-line tool alike: the bytes go to a temporary file beside the target
// (on Linux an unnamed one, named only once complete), which is flushed to
// disk and renamed over it, and the folder is then flushed too. Until Commit
// succeeds the target is untouched; an abandoned temporary file is removed,
// one of an interrupted process by the termination signal, and one of a
// killed process by a later save in the same folder on the same machine.
// Failures are kept on the writer (step and system error) and recorded for
// DMLastSystemError.
//
// This code is built as a static library of its own and linked into both the
// shared library (hidden there) and the program's core, so a process holds two
// copies; their signal handlers chain, each removing its own files.
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
// The folder OpenIn writes into: its path with a trailing separator (empty
// for the current folder), and a name in it, as the wide file calls take them.
using NativeFolder = std::wstring;
using NativeName = std::wstring;
#else
using TargetInfo = struct stat;
// The folder OpenIn writes into: an open descriptor of it; and a name in it.
using NativeFolder = int;
using NativeName = std::string;
#endif

enum class KeepTimes { No, Yes };

struct WriteOptions {
    // An existing target's access and modification times survive the replacement.
    KeepTimes keepTimes = KeepTimes::No;
    // True: a symbolic link at the target is followed (the link stays a link),
    // a write-protected target is refused, a device or pipe is written in
    // place, and a replaced file keeps its owner and permissions. False: the
    // name is taken by a new file whatever it named before (a folder excepted);
    // nothing is followed, so a write cannot be led elsewhere.
    bool followTarget = true;
    // False: Commit fails with "file exists" rather than replace anything.
    bool replaceExisting = true;
    // Wait until the bytes and the folder are on disk. Off only where many new
    // files are written at once and a crash would lose them all anyway.
    bool flushToDisk = true;
    // Remove this target's temporary files left by dead processes of this machine.
    bool sweepLeftovers = true;
    // Called right before the target is replaced; false gives up (Step::Replace, no system error).
    std::function<bool()> lastLook;
};

class AtomicFileWriter {
public:
    // The step that failed first.
    enum class Step { None, Create, Write, Replace };

    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // Prepares to replace `target`. 0 or 2.
    int Open(const char* target, KeepTimes keepTimes)
    {
        WriteOptions options;
        options.keepTimes = keepTimes;
        return Open(target, options);
    }
    int Open(const char* target, const WriteOptions& options);
    // Prepares to write `name` (no folder part) inside an open folder, which
    // must stay open until Commit. 0 or 2.
    int OpenIn(const NativeFolder& folder, const NativeName& name, const WriteOptions& options);
    // False once any write has failed; later writes are skipped.
    bool Write(const void* data, std::uint64_t count);
    // Overwrites bytes already written, `offset` bytes from the start (a
    // header whose numbers are known only at the end). False, and the writer
    // failed, when the target cannot be written at an offset (a pipe).
    bool WriteAt(std::uint64_t offset, const void* data, std::uint64_t count);
    // Puts the new content in place: 0, or 3 when anything failed.
    int Commit();
    // Gives up: the temporary file goes, the target stays as it was.
    void Abandon() { Discard(); }

    Step FailedStep() const { return m_failedStep; }
    // The system's error number behind the failure; 0 when none was involved.
    int SystemError() const { return m_systemError; }
    // Whether the target was there when the writer opened.
    bool TargetExisted() const { return m_targetExisted; }

private:
    bool Fail(Step step, int error);
    bool Fail(Step step);  // with the error the last system call left
    void Discard();
    std::string NextTempName() const;
#if defined(_WIN32)
    int Begin(const WriteOptions& options);
    bool OpenNamed();
#else
    int Begin(const WriteOptions& options);
    bool OpenUnnamed(unsigned mode);
    bool OpenNamed(unsigned mode);
    bool NameUnnamed();
    // Tries fresh temporary names with `create` until one is made or the
    // failure is not a taken name; the name made becomes the temporary file.
    bool ClaimTempName(const std::function<bool(const std::string&)>& create);
    bool PutInPlace();
#endif

    enum class Temp {
        None,     // writing straight to a device or pipe
        Unnamed,  // an unnamed file in the target's folder, not yet linked
        Named,    // m_tempName exists in the folder
    };

    WriteOptions m_options;
#if defined(_WIN32)
    std::wstring m_folder;  // with a trailing separator, or empty for the current folder
    std::wstring m_name;
    std::wstring m_tempName;
#else
    FileHandle m_ownFolder;  // when Open opened the folder itself
    int m_folder = -1;
    std::string m_name;
    std::string m_tempName;
    InterruptCleanup m_cleanup;
#endif
    Temp m_temp = Temp::None;
    FileHandle m_file;
    bool m_targetExisted = false;
    TargetInfo m_targetInfo {};
    bool m_failed = false;
    Step m_failedStep = Step::None;
    int m_systemError = 0;
};

}  // namespace tomelens::archive
