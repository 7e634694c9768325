// AtomicFile's steps with POSIX calls.
#include "SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

// Permissions a newly created file gets: what the user's umask allows.
mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string CannotWrite(int error)
{
    return std::string("cannot be written: ") + std::strerror(error);
}

}  // namespace

bool AtomicFile::Begin(const fs::path& target, AtomicFileOptions options)
{
    Abort();
    m_failedStep = Step::None;
    m_options = options;
    m_target = options.followLinkAtTarget ? FollowLinks(target) : target;
    struct stat existing {};
    const bool exists = ::lstat(m_target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return Fail(Step::Create, EISDIR, "is a folder");
    m_replacesRegularFile = exists && S_ISREG(existing.st_mode);

    fs::path folder = m_target.parent_path();
    if (folder.empty())
        folder = ".";
    // A short fixed name: the target's own name may already be as long as the
    // file system allows.
    const std::string pattern = (folder / ".tomelens.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkstemp(name.data());
    if (m_fd < 0)
        return Fail(Step::Create, errno, "cannot create a file in '" + folder.string() + "': " + std::strerror(errno));
    m_temporary = name.data();
    // A replaced file keeps its permissions; a new one gets what the umask allows.
    if (::fchmod(m_fd, m_replacesRegularFile ? (existing.st_mode & 07777) : NewFileMode()) != 0)
        return Fail(Step::Create, errno, CannotWrite(errno));
    return true;
}

bool AtomicFile::Write(std::span<const unsigned char> bytes)
{
    if (m_fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Fail(Step::Write, errno, CannotWrite(errno));
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool AtomicFile::Commit()
{
    if (m_fd < 0)
        return false;
    if (m_options.flushToDisk && ::fsync(m_fd) != 0)
        return Fail(Step::Write, errno, CannotWrite(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail(Step::Write, errno, CannotWrite(errno));
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return Fail(Step::Replace, errno, "cannot replace it: " + std::string(std::strerror(errno)));
    m_temporary.clear();
    return true;
}

void AtomicFile::Abort()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

}  // namespace tomelens::core
