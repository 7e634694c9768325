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
#include <sys/syscall.h>
#include <unistd.h>

// Every step works relative to an open descriptor of the target's folder, so
// the folder cannot be swapped for another between the steps.
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
bool MayReplace(int folder, const std::string& name, const struct stat& info)
{
    if (::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    if (::geteuid() == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
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

// Moves `from` to `to` within one folder, failing with EEXIST instead of
// replacing an existing `to`. 0 or the error number.
int RenameNoReplace(int folder, const char* from, const char* to)
{
#if defined(SYS_renameat2) && defined(__linux__)
    constexpr unsigned kNoReplace = 1;  // RENAME_NOREPLACE
    if (::syscall(SYS_renameat2, folder, from, folder, to, kNoReplace) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    // File systems without the flag: a hard link fails on an existing name too.
    if (::linkat(folder, from, folder, to, 0) != 0)
        return errno;
    ::unlinkat(folder, from, 0);
    return 0;
}

}  // namespace

std::string AtomicFileWriter::NextTempName() const
{
    static std::atomic<unsigned> counter{0};
    const SaveTempOwner owner{TargetNameHash(m_name), MachineTag(), static_cast<std::uint64_t>(::getpid())};
    return SaveTempName(owner, counter++);
}

int AtomicFileWriter::Open(const char* target, const WriteOptions& options)
{
    Discard();
    m_targetExisted = false;
    const std::string path = options.followTarget ? ResolveTarget(target) : std::string(target);
    const std::size_t nameStart = NameStart(path, PathStyle::Posix);
    if (path.empty() || nameStart == path.size()) {
        Fail(Step::Create, path.empty() ? ENOENT : EISDIR);  // what open() would say
        return DMResult::CannotOpen;
    }
    m_ownFolder = FileHandle(::open(FolderOf(path, PathStyle::Posix).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_ownFolder.Valid()) {
        Fail(Step::Create);
        return DMResult::CannotOpen;
    }
    m_folder = m_ownFolder.Get();
    m_name = path.substr(nameStart);
    return Begin(options);
}

int AtomicFileWriter::OpenIn(const int& folder, const std::string& name, const WriteOptions& options)
{
    Discard();
    m_ownFolder = FileHandle();
    m_folder = folder;
    m_name = name;
    return Begin(options);
}

int AtomicFileWriter::Begin(const WriteOptions& options)
{
    ClearSystemError();
    m_options = options;
    m_failed = false;
    m_failedStep = Step::None;
    m_systemError = 0;
    const int statFlags = options.followTarget ? 0 : AT_SYMLINK_NOFOLLOW;
    m_targetExisted = ::fstatat(m_folder, m_name.c_str(), &m_targetInfo, statFlags) == 0;

    // (Without replacing, whatever holds the name makes the last step fail.)
    if (m_targetExisted && S_ISDIR(m_targetInfo.st_mode) && options.replaceExisting) {
        Fail(Step::Create, EISDIR);
        return DMResult::CannotOpen;
    }
    if (m_targetExisted && options.followTarget && !S_ISREG(m_targetInfo.st_mode)) {
        // A device or pipe cannot be renamed over; write to it directly.
        m_file = FileHandle(::openat(m_folder, m_name.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
        if (!m_file.Valid()) {
            Fail(Step::Create);
            return DMResult::CannotOpen;
        }
        ::fcntl(m_file.Get(), F_SETFL, 0);
        m_temp = Temp::None;
        return DMResult::Success;
    }
    if (m_targetExisted && options.followTarget && !MayReplace(m_folder, m_name, m_targetInfo)) {
        Fail(Step::Create);
        return DMResult::CannotOpen;
    }

    if (options.sweepLeftovers)
        RemoveStaleSaveTemps(m_folder, TargetNameHash(m_name));
    // A replaced file's owner and permissions are carried over below; new
    // files get the usual permissions less the umask, as a plain create would.
    const bool carryOver = m_targetExisted && options.followTarget;
    const mode_t mode = carryOver ? S_IRUSR | S_IWUSR : 0666;
    if (!OpenUnnamed(mode) && !OpenNamed(mode)) {
        Fail(Step::Create);
        return DMResult::CannotOpen;
    }
    if (carryOver) {
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
    m_file = FileHandle(::openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode)));
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
        m_file = FileHandle(::openat(m_folder, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
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
        return ::linkat(AT_FDCWD, fdPath, m_folder, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
}

bool AtomicFileWriter::ClaimTempName(const std::function<bool(const std::string&)>& create)
{
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = NextTempName();
        // Armed before the name exists, so a signal in between still removes it.
        m_cleanup.Arm(m_folder, candidate);
        if (create(candidate)) {
            m_tempName = std::move(candidate);
            m_temp = Temp::Named;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    m_cleanup.Disarm();
    errno = error;
    return false;
}

// Gives the finished file the target's name: replacing what is there, or,
// when that is not wanted, only where the name is free.
bool AtomicFileWriter::PutInPlace()
{
    if (m_options.lastLook && !m_options.lastLook())
        return Fail(Step::Replace, 0);
    if (m_temp == Temp::Unnamed) {
        char fdPath[64];
        std::snprintf(fdPath, sizeof fdPath, "/proc/self/fd/%d", m_file.Get());
        return ::linkat(AT_FDCWD, fdPath, m_folder, m_name.c_str(), AT_SYMLINK_FOLLOW) == 0 || Fail(Step::Replace);
    }
    if (m_options.replaceExisting)
        return ::renameat(m_folder, m_tempName.c_str(), m_folder, m_name.c_str()) == 0 || Fail(Step::Replace);
    const int error = RenameNoReplace(m_folder, m_tempName.c_str(), m_name.c_str());
    return error == 0 || Fail(Step::Replace, error);
}

int AtomicFileWriter::Commit()
{
    if (m_failed || !m_file.Valid()) {
        if (m_failedStep == Step::None)
            Fail(Step::Write, EBADF);
        Discard();
        return DMResult::ShortWrite;
    }
    if (m_temp == Temp::None) {
        if (m_file.Close())
            return DMResult::Success;
        Fail(Step::Write);
        return DMResult::ShortWrite;
    }

    if (m_options.keepTimes == KeepTimes::Yes && m_targetExisted) {
#if defined(__APPLE__)
        const struct timespec times[2] = {m_targetInfo.st_atimespec, m_targetInfo.st_mtimespec};
#else
        const struct timespec times[2] = {m_targetInfo.st_atim, m_targetInfo.st_mtim};
#endif
        ::futimens(m_file.Get(), times);
    }
    bool done = !m_options.flushToDisk || ::fsync(m_file.Get()) == 0 || Fail(Step::Write);
    // Replacing goes through a temporary name (an unnamed file can only be
    // linked to a free name); a new file without replacing may be linked at once.
    if (done && m_temp == Temp::Unnamed && (m_options.replaceExisting || g_beforeReplaceHook))
        done = NameUnnamed() || Fail(Step::Replace);
    // A named file is closed before it replaces anything, so a failing close
    // (data that never reached the disk) cannot cost the old content.
    if (done && m_temp == Temp::Named)
        done = m_file.Close() || Fail(Step::Write);
    if (done && g_beforeReplaceHook)
        g_beforeReplaceHook();
    done = done && PutInPlace();
    if (done && m_file.Valid() && !m_file.Close()) {
        Fail(Step::Write);
        ::unlinkat(m_folder, m_name.c_str(), 0);  // only a new name was made; take it back
        done = false;
    }
    if (!done) {
        Discard();
        return DMResult::ShortWrite;
    }
    m_tempName.clear();
    m_temp = Temp::None;
    m_cleanup.Disarm();
    if (m_options.flushToDisk)
        ::fsync(m_folder);  // best effort: the rename itself has already happened
    m_ownFolder = FileHandle();
    return DMResult::Success;
}

bool AtomicFileWriter::Fail(Step step)
{
    return Fail(step, errno);
}

void AtomicFileWriter::Discard()
{
    m_file.Close();
    if (m_temp == Temp::Named)
        ::unlinkat(m_folder, m_tempName.c_str(), 0);
    m_tempName.clear();
    m_temp = Temp::None;
    m_cleanup.Disarm();
}

}  // namespace tomelens::archive
