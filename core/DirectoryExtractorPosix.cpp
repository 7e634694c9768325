#include "DirectoryExtractor.h"

#include "archive/AtomicFileWriter.h"
#include "archive/StaleSaveTemps.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
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

}  // namespace

bool ExtractedFile::Append(const void* bytes, std::size_t length)
{
    if (m_writer->Write(bytes, length))
        return true;
    m_error = m_writer->SystemError();
    return false;
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
    struct stat folderInfo;
    if (::fstat(folder.Get(), &folderInfo) == 0 && FirstVisit(folderInfo.st_dev, folderInfo.st_ino))
        archive::RemoveStaleSaveTemps(folder.Get(), std::nullopt);

    // Without --overwrite the final step cannot replace anything, so what
    // is already there is only looked at when that step finds the name taken.
    struct stat existing;
    bool replacing = false;
    if (overwrite && ::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (IsProtected(existing.st_dev, existing.st_ino)) {
            result.outcome = ExtractOutcome::IsProtected;
            return result;
        }
        if (S_ISDIR(existing.st_mode)) {
            result.problem = "is a folder";
            return result;
        }
        replacing = true;
    }

    archive::WriteOptions options;
    options.followTarget = false;
    options.replaceExisting = overwrite;
    options.flushToDisk = replacing;
    options.sweepLeftovers = false;  // done once per folder above
    // Look again right before the move: the protected file may have been
    // linked in under this name meanwhile.
    bool protectedAtLastLook = false;
    options.lastLook = [&] {
        struct stat now;
        protectedAtLastLook = ::fstatat(folder.Get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                              IsProtected(now.st_dev, now.st_ino);
        return !protectedAtLastLook;
    };
    archive::AtomicFileWriter writer;
    if (writer.OpenIn(folder.Get(), name, options) != 0) {
        result.problem = SystemText("cannot be created", writer.SystemError());
        return result;
    }
    Step("file created");
    ExtractedFile file;
    file.m_writer = &writer;
    result.fillResult = fill(file);
    if (result.fillResult != 0 || file.SystemError() != 0) {
        writer.Abandon();
        if (file.SystemError() != 0)
            result.problem = SystemText("cannot be written", file.SystemError());
        else
            result.outcome = ExtractOutcome::FillFailed;
        return result;
    }
    Step("file written");

    if (writer.Commit() == 0) {
        result.outcome = ExtractOutcome::Written;
        return result;
    }
    const int error = writer.SystemError();
    if (protectedAtLastLook) {
        result.outcome = ExtractOutcome::IsProtected;
    } else if (writer.FailedStep() == archive::AtomicFileWriter::Step::Write) {
        result.problem = SystemText("cannot be written", error);
    } else if (error != EEXIST) {
        result.problem = SystemText("cannot be put in place", error);
    } else if (::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0
               && IsProtected(existing.st_dev, existing.st_ino)) {
        result.outcome = ExtractOutcome::IsProtected;
    } else {
        result.outcome = ExtractOutcome::Exists;
    }
    return result;
}

bool DirectoryExtractor::FirstVisit(std::uint64_t device, std::uint64_t file)
{
    std::lock_guard<std::mutex> lock(m_visitedLock);
    return m_visited.emplace(device, file).second;
}

}  // namespace tomelens::core
