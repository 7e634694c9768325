#include "archive/AtomicFileWriter.h"

#include "archive/DMResultCodes.h"
#include "archive/LastError.h"
#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"
#include "archive/StaleSaveTemps.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tomelens::archive {

namespace {

constexpr unsigned kNameAttempts = 100;

// Follows a symbolic link so the link keeps pointing at the replaced file.
std::string ResolveTarget(const char* target)
{
    struct stat info {};
    if (::lstat(target, &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(target, nullptr)) {
            std::string path(resolved);
            std::free(resolved);
            return path;
        }
    }
    return target;
}

// Whether this user may replace the existing target. The superuser passes
// every access() test, yet a file that no one may write was protected on purpose.
bool MayReplace(const std::string& target, const struct stat& info)
{
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        RecordSystemError();
        return false;
    }
    if (::geteuid() == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        RecordSystemError(EACCES);
        return false;
    }
    return true;
}

// An unnamed file can be given a name through /proc without privileges.
bool CanLinkUnnamedFiles()
{
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    return procMounted;
}

void SyncDirectory(const std::string& directory)
{
    FileHandle dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid())
        ::fsync(dir.Get());  // best effort: the rename itself has already happened
}

}  // namespace

std::string AtomicFileWriter::NextTempPath() const
{
    static std::atomic<unsigned> counter{0};
    const std::string_view name = std::string_view(m_target).substr(NameStart(m_target, PathStyle::Posix));
    return SiblingPath(m_target, SaveTempName(name, static_cast<std::uint64_t>(::getpid()), counter++),
                       PathStyle::Posix);
}

int AtomicFileWriter::Open(const char* target, KeepTimes keepTimes)
{
    Discard();
    ClearSystemError();
    m_failed = false;
    m_keepTimes = keepTimes;
    m_target = ResolveTarget(target);
    if (m_target.empty() || m_target.back() == '/') {
        RecordSystemError(m_target.empty() ? ENOENT : EISDIR);  // what open() would say
        return DMResult::CannotOpen;
    }
    m_targetExisted = ::stat(m_target.c_str(), &m_targetInfo) == 0;

    if (m_targetExisted && !S_ISREG(m_targetInfo.st_mode)) {
        // A device or pipe cannot be renamed over; write to it directly.
        if (S_ISDIR(m_targetInfo.st_mode)) {
            RecordSystemError(EISDIR);
            return DMResult::CannotOpen;
        }
        m_file = FileHandle(::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
        if (!m_file.Valid()) {
            RecordSystemError();
            return DMResult::CannotOpen;
        }
        ::fcntl(m_file.Get(), F_SETFL, 0);
        m_temp = Temp::None;
        return DMResult::Success;
    }
    if (m_targetExisted && !MayReplace(m_target, m_targetInfo))
        return DMResult::CannotOpen;

    RemoveStaleSaveTemps(m_target);
    // New files get the usual permissions less the umask, as a plain create would.
    const mode_t mode = m_targetExisted ? S_IRUSR | S_IWUSR : 0666;
    if (!OpenUnnamed(mode) && !OpenNamed(mode))
        return DMResult::CannotOpen;

    if (m_targetExisted) {
        // Owner first: changing it may clear set-id bits that the mode restores.
        if (::fchown(m_file.Get(), m_targetInfo.st_uid, m_targetInfo.st_gid) != 0) {
            // Only a privileged writer may hand a file to someone else; keep our own.
        }
        // Some file systems (FAT) refuse modes; the content matters more than the bits.
        ::fchmod(m_file.Get(), m_targetInfo.st_mode & 07777);
    }
    return DMResult::Success;
}

// Nothing of an unnamed file is left behind when the process dies before it is named.
bool AtomicFileWriter::OpenUnnamed(unsigned mode)
{
#if defined(O_TMPFILE)
    if (!g_useUnnamedTemps || !CanLinkUnnamedFiles())
        return false;
    m_file = FileHandle(::open(FolderOf(m_target, PathStyle::Posix).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                               static_cast<mode_t>(mode)));
    if (m_file.Valid())
        m_temp = Temp::Unnamed;
    return m_file.Valid();
#else
    (void)mode;
    return false;
#endif
}

// Where unnamed files are refused (old kernels, some file systems), a hidden
// named one, removed by a termination signal if it comes to that.
bool AtomicFileWriter::OpenNamed(unsigned mode)
{
    return ClaimTempName([&](const std::string& candidate) {
        m_file = FileHandle(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                   static_cast<mode_t>(mode)));
        return m_file.Valid();
    });
}

// Links the finished unnamed file under a temporary name, ready to be renamed.
bool AtomicFileWriter::NameUnnamed()
{
    char fdPath[64];
    std::snprintf(fdPath, sizeof fdPath, "/proc/self/fd/%d", m_file.Get());
    return ClaimTempName([&](const std::string& candidate) {
        return ::linkat(AT_FDCWD, fdPath, AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
}

bool AtomicFileWriter::ClaimTempName(const std::function<bool(const std::string&)>& create)
{
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = NextTempPath();
        // Armed before the name exists, so a signal in between still removes it.
        m_cleanup.Arm(candidate);
        if (create(candidate)) {
            m_tempPath = std::move(candidate);
            m_temp = Temp::Named;
            return true;
        }
        RecordSystemError();
        if (errno != EEXIST)
            break;
    }
    m_cleanup.Disarm();
    return false;
}

int AtomicFileWriter::Commit()
{
    if (m_failed || !m_file.Valid()) {
        Discard();
        return DMResult::ShortWrite;
    }
    if (m_temp == Temp::None) {
        if (m_file.Close())
            return DMResult::Success;
        RecordSystemError();
        return DMResult::ShortWrite;
    }

    if (m_keepTimes == KeepTimes::Yes && m_targetExisted) {
#if defined(__APPLE__)
        const struct timespec times[2] = {m_targetInfo.st_atimespec, m_targetInfo.st_mtimespec};
#else
        const struct timespec times[2] = {m_targetInfo.st_atim, m_targetInfo.st_mtim};
#endif
        ::futimens(m_file.Get(), times);
    }
    bool done = ::fsync(m_file.Get()) == 0;
    if (!done)
        RecordSystemError();
    else if (m_temp == Temp::Unnamed)
        done = NameUnnamed();
    if (done && !m_file.Close()) {
        RecordSystemError();
        done = false;
    }
    if (done && g_beforeReplaceHook)
        g_beforeReplaceHook();
    if (done && ::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        RecordSystemError();
        done = false;
    }
    if (!done) {
        Discard();
        return DMResult::ShortWrite;
    }
    m_tempPath.clear();
    m_temp = Temp::None;
    m_cleanup.Disarm();
    SyncDirectory(FolderOf(m_target, PathStyle::Posix));
    return DMResult::Success;
}

void AtomicFileWriter::Discard()
{
    m_file.Close();
    if (m_temp == Temp::Named)
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_temp = Temp::None;
    m_cleanup.Disarm();
}

}  // namespace tomelens::archive
