#include "archive/AtomicFileWriter.h"

#include "archive/DMResultCodes.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tomelens::archive {

namespace {

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

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hidden name beside the target that no other writer uses.
std::string TemporaryNameFor(const std::string& target, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.%u.%llx.tmp", static_cast<long>(::getpid()),
                  counter++, attempt, static_cast<unsigned long long>(ticks));
    std::string directory = DirectoryOf(target);
    if (directory != "/")
        directory += '/';
    return directory + "." + BaseNameOf(target) + suffix;
}

void SyncDirectory(const std::string& directory)
{
    FileHandle dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid())
        ::fsync(dir.Get());  // best effort: the rename itself has already happened
}

}  // namespace

int AtomicFileWriter::Open(const char* target, KeepTimes keepTimes)
{
    Discard();
    m_failed = false;
    m_keepTimes = keepTimes;
    m_target = ResolveTarget(target);
    if (m_target.empty() || m_target.back() == '/')
        return DMResult::CannotOpen;
    m_targetExisted = ::stat(m_target.c_str(), &m_targetInfo) == 0;

    if (m_targetExisted && !S_ISREG(m_targetInfo.st_mode)) {
        // A device or pipe cannot be renamed over; write to it directly.
        if (S_ISDIR(m_targetInfo.st_mode))
            return DMResult::CannotOpen;
        m_file = FileHandle(::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
        if (!m_file.Valid())
            return DMResult::CannotOpen;
        ::fcntl(m_file.Get(), F_SETFL, 0);
        return DMResult::Success;
    }

    // New files get the usual permissions less the umask, as a plain create would.
    const mode_t mode = m_targetExisted ? S_IRUSR | S_IWUSR : 0666;
    for (unsigned attempt = 0; attempt < 100 && !m_file.Valid(); ++attempt) {
        std::string candidate = TemporaryNameFor(m_target, attempt);
        m_file = FileHandle(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (m_file.Valid())
            m_tempPath = std::move(candidate);
        else if (errno != EEXIST)
            break;
    }
    if (!m_file.Valid())
        return DMResult::CannotOpen;

    if (m_targetExisted) {
        // Owner first: changing it may clear set-id bits that the mode restores.
        if (::fchown(m_file.Get(), m_targetInfo.st_uid, m_targetInfo.st_gid) != 0) {
            // Only a privileged writer may hand a file to someone else; keep our own.
        }
        ::fchmod(m_file.Get(), m_targetInfo.st_mode & 07777);
    }
    return DMResult::Success;
}

int AtomicFileWriter::Commit()
{
    if (m_failed || !m_file.Valid()) {
        Discard();
        return DMResult::ShortWrite;
    }
    if (m_tempPath.empty())
        return m_file.Close() ? DMResult::Success : DMResult::ShortWrite;

    if (m_keepTimes == KeepTimes::Yes && m_targetExisted) {
#if defined(__APPLE__)
        const struct timespec times[2] = {m_targetInfo.st_atimespec, m_targetInfo.st_mtimespec};
#else
        const struct timespec times[2] = {m_targetInfo.st_atim, m_targetInfo.st_mtim};
#endif
        ::futimens(m_file.Get(), times);
    }
    if (::fsync(m_file.Get()) != 0 || !m_file.Close() ||
        ::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        Discard();
        return DMResult::ShortWrite;
    }
    m_tempPath.clear();
    SyncDirectory(DirectoryOf(m_target));
    return DMResult::Success;
}

void AtomicFileWriter::Discard()
{
    m_file.Close();
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

}  // namespace tomelens::archive
