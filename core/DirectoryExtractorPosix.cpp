#include "DirectoryExtractor.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tomelens::core {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

void Step(const char* name)
{
    if (DirectoryExtractor::s_betweenSteps)
        DirectoryExtractor::s_betweenSteps(name);
}

// "text" in quotes. Built by appending: GCC 12 at -O3 wrongly warns that
// "\"" + text may overlap (-Wrestrict).
std::string Quoted(const std::string& text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string SystemText(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

// Closes a descriptor that is not the root's.
class OwnedFd {
public:
    explicit OwnedFd(int fd, bool owned) : m_fd(fd), m_owned(owned) {}
    ~OwnedFd() { Reset(-1, false); }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    void Reset(int fd, bool owned)
    {
        if (m_owned && m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
        m_owned = owned;
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
    bool m_owned;
};

// Moves from to to within one folder, failing with EEXIST instead of
// replacing an existing to.
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

std::string TemporaryName()
{
    static const long pid = static_cast<long>(::getpid());
    static std::atomic<unsigned> counter{0};
    char name[64];
    std::snprintf(name, sizeof name, ".tl-x%ld-%u.part", pid, counter.fetch_add(1));
    return name;
}

// A new file in folder. Where the system can, it has no name at all until it
// is linked in complete (so nothing is left behind if we are killed midway);
// otherwise it gets a temporary name, returned in temporary.
int CreateUnlinked(int folder, std::string& temporary)
{
    temporary.clear();
#ifdef O_TMPFILE
    const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0)
        return fd;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
        return -1;
#endif
    temporary = TemporaryName();
    return ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

// Gives the new file the name `name` in folder, failing with EEXIST when the
// name is taken: an unnamed file is linked in, a named one moved without
// replacing. Returns 0 or the error number.
int PlaceNoReplace(int folder, int fd, const std::string& temporary, const char* name)
{
    if (!temporary.empty())
        return RenameNoReplace(folder, temporary.c_str(), name);
#ifdef AT_EMPTY_PATH
    // Linking the descriptor itself is the cheapest way, but needs a
    // privilege many users lack; once refused, it is not tried again.
    static std::atomic<bool> emptyPathAllowed{true};
    if (emptyPathAllowed.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT && errno != EPERM)
            return errno;
        emptyPathAllowed = false;
    }
#endif
    char procPath[64];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, procPath, folder, name, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    return errno;
}

}  // namespace

bool ExtractedFile::Append(const void* bytes, std::size_t length)
{
    const auto* at = static_cast<const unsigned char*>(bytes);
    while (length > 0) {
        const ssize_t written = ::write(m_fd, at, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        at += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

DirectoryExtractor::~DirectoryExtractor()
{
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

bool DirectoryExtractor::Open(const std::filesystem::path& root, std::string& problem)
{
    std::error_code error;
    std::filesystem::create_directories(root, error);
    m_root = root;
    m_rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_rootFd < 0) {
        problem = SystemText("cannot be used as the target folder", error ? error.value() : errno);
        return false;
    }
    return true;
}

bool DirectoryExtractor::IsProtected(std::uint64_t device, std::uint64_t file) const
{
    return m_protected && m_protected->device == device && m_protected->file == file;
}

ExtractResult DirectoryExtractor::Write(const std::string& relativePath, bool overwrite,
                                        const std::function<int(ExtractedFile&)>& fill)
{
    ExtractResult result;
    OwnedFd folder(m_rootFd, false);
    std::size_t start = 0;
    for (std::size_t slash; (slash = relativePath.find('/', start)) != std::string::npos; start = slash + 1) {
        const std::string part = relativePath.substr(start, slash - start);
        if (::mkdirat(folder.Get(), part.c_str(), 0777) != 0 && errno != EEXIST) {
            result.problem = SystemText("cannot make folder " + Quoted(relativePath.substr(0, slash)), errno);
            return result;
        }
        Step("folder made");
        const int next = ::openat(folder.Get(), part.c_str(), kFolderFlags);
        if (next < 0) {
            const int error = errno;
            result.problem = (error == ELOOP || error == ENOTDIR)
                                 ? Quoted(relativePath.substr(0, slash)) + " is a symbolic link or not a folder"
                                 : SystemText("cannot open folder " + Quoted(relativePath.substr(0, slash)), error);
            return result;
        }
        folder.Reset(next, true);
    }
    const std::string name = relativePath.substr(start);

    // Without --overwrite the final step cannot replace anything, so what
    // is already there is only looked at when that step finds the name taken.
    struct stat existing;
    if (overwrite && ::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (IsProtected(existing.st_dev, existing.st_ino)) {
            result.outcome = ExtractOutcome::IsProtected;
            return result;
        }
        if (S_ISDIR(existing.st_mode)) {
            result.problem = "is a folder";
            return result;
        }
    }

    std::string temporary;
    ExtractedFile file;
    file.m_fd = CreateUnlinked(folder.Get(), temporary);
    if (file.m_fd < 0) {
        result.problem = SystemText("cannot be created", errno);
        return result;
    }
    Step("file created");
    result.fillResult = fill(file);
    int error = file.SystemError();
    auto discard = [&] {
        if (!temporary.empty())
            ::unlinkat(folder.Get(), temporary.c_str(), 0);
    };
    if (result.fillResult != 0 || error != 0) {
        ::close(file.m_fd);
        discard();
        if (error != 0)
            result.problem = SystemText("cannot be written", error);
        else
            result.outcome = ExtractOutcome::FillFailed;
        return result;
    }
    Step("file written");

    if (!overwrite) {
        error = PlaceNoReplace(folder.Get(), file.m_fd, temporary, name.c_str());
        if (::close(file.m_fd) != 0 && error == 0) {
            // The data may not have reached the disk; take the file back out.
            error = errno;
            ::unlinkat(folder.Get(), name.c_str(), 0);
        }
        if (error == 0) {
            result.outcome = ExtractOutcome::Written;
            return result;
        }
        discard();
        if (error != EEXIST) {
            result.problem = SystemText("cannot be put in place", error);
        } else if (::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0
                   && IsProtected(existing.st_dev, existing.st_ino)) {
            result.outcome = ExtractOutcome::IsProtected;
        } else {
            result.outcome = ExtractOutcome::Exists;
        }
        return result;
    }

    // Replacing: give the file a temporary name first, then move it over the
    // old one in one step.
    if (temporary.empty()) {
        temporary = TemporaryName();
        error = PlaceNoReplace(folder.Get(), file.m_fd, {}, temporary.c_str());
        if (error != 0) {
            ::close(file.m_fd);
            result.problem = SystemText("cannot be put in place", error);
            return result;
        }
    }
    if (::close(file.m_fd) != 0) {
        result.problem = SystemText("cannot be written", errno);
        discard();
        return result;
    }
    // Look again right before the move: the protected file may have been
    // linked in under this name meanwhile.
    if (::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0
        && IsProtected(existing.st_dev, existing.st_ino)) {
        discard();
        result.outcome = ExtractOutcome::IsProtected;
        return result;
    }
    if (::renameat(folder.Get(), temporary.c_str(), folder.Get(), name.c_str()) != 0) {
        result.problem = SystemText("cannot be put in place", errno);
        discard();
        return result;
    }
    result.outcome = ExtractOutcome::Written;
    return result;
}

}  // namespace tomelens::core
