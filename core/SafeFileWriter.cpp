#include "SafeFileWriter.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

#if !defined(_WIN32)
std::string ErrnoText(int error)
{
    return std::strerror(error);
}

// Permissions a newly created file gets: what the user's umask allows.
mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::span<const unsigned char> bytes, int& error)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}
#endif

// "'path'" and then `rest`. Built by appending: GCC 12 wrongly warns that
// "'" + path.string() may overlap (-Wrestrict) when building for Windows.
std::string Quoted(const fs::path& path, const std::string& rest)
{
    std::string text = "'";
    text += path.string();
    text += "'";
    text += rest;
    return text;
}

// Makes every folder of relativeFolder below root; a part that exists must be
// a real folder, not a link to one elsewhere.
std::string MakeFoldersInside(const fs::path& root, const fs::path& relativeFolder)
{
    fs::path current = root;
    for (const auto& part : relativeFolder) {
        current /= part;
        std::error_code error;
        const auto status = fs::symlink_status(current, error);
        if (fs::is_symlink(status))
            return Quoted(current, " is a symbolic link; not following it");
        if (fs::exists(status)) {
            if (!fs::is_directory(status))
                return Quoted(current, " exists and is not a folder");
            continue;
        }
        if (!fs::create_directory(current, error) && error)
            return "cannot make folder '" + current.string() + "': " + error.message();
    }
    return {};
}

}  // namespace

std::string FolderForReplacing(const fs::path& path, fs::file_status& status, fs::path& folder)
{
    std::error_code statusError;
    status = fs::symlink_status(path, statusError);
    if (fs::is_directory(status))
        return "is a folder";
    folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    return {};
}

// The Windows version lives in SafeFileWriterWin32.cpp.
#if !defined(_WIN32)
std::string WriteFileAtomically(const fs::path& path, std::span<const unsigned char> bytes,
                                bool flushToDisk)
{
    fs::file_status status;
    fs::path folder;
    if (std::string refused = FolderForReplacing(path, status, folder); !refused.empty())
        return refused;
    // A short fixed name: the target's own name may already be as long as the
    // file system allows.
    std::string pattern = (folder / ".tomelens-cli.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return "cannot create a file in '" + folder.string() + "': " + ErrnoText(errno);

    // A replaced file keeps its permissions; a new one gets what the umask allows.
    struct stat existing {};
    const mode_t mode = (fs::is_regular_file(status) && stat(path.c_str(), &existing) == 0)
                            ? (existing.st_mode & 07777)
                            : NewFileMode();
    int error = 0;
    bool ok = WriteAll(fd, bytes, error);
    if (ok && fchmod(fd, mode) != 0)
        error = errno, ok = false;
    if (ok && flushToDisk && fsync(fd) != 0)
        error = errno, ok = false;
    if (close(fd) != 0 && ok)
        error = errno, ok = false;
    if (ok && std::rename(name.data(), path.c_str()) != 0)
        error = errno, ok = false;
    if (!ok) {
        unlink(name.data());
        return "cannot be written: " + ErrnoText(error);
    }
    return {};
}
#endif

std::string WriteFileInside(const fs::path& root, const std::string& relativePath,
                            std::span<const unsigned char> bytes)
{
    const fs::path relative(relativePath);
    if (relativePath.empty() || relative.is_absolute())
        return "refusing to write outside the target folder";
    for (const auto& part : relative)
        if (part == "..")
            return "refusing to write outside the target folder";
    const std::string folderProblem = MakeFoldersInside(root, relative.parent_path());
    if (!folderProblem.empty())
        return folderProblem;
    return WriteFileAtomically(root / relative, bytes, false);
}

}  // namespace tomelens::core
