#include "RegularFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tomelens::core {

namespace {

UniqueFile Refuse(int cause, int* error)
{
    if (error)
        *error = cause;
    return nullptr;
}

}  // namespace

UniqueFile OpenRegularFile(const std::string& path, unsigned long long* size, int* error)
{
#ifdef _WIN32
    // Windows has no FIFOs in the file system; devices are refused by type below.
    UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return Refuse(errno, error);
    struct _stat64 info;
    if (_fstat64(_fileno(file.get()), &info) != 0)
        return Refuse(errno, error);
    if ((info.st_mode & _S_IFMT) != _S_IFREG)
        return Refuse((info.st_mode & _S_IFMT) == _S_IFDIR ? EISDIR : EINVAL, error);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return Refuse(errno, error);
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int cause = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return Refuse(cause, error);
    }
    // Reads of a regular file never block anyway; clear the flag for plain stdio.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    UniqueFile file(::fdopen(fd, "rb"));
    if (!file) {
        const int cause = errno;
        ::close(fd);
        return Refuse(cause, error);
    }
#endif
    if (size)
        *size = static_cast<unsigned long long>(info.st_size);
    return file;
}

std::string OpenProblemText(int error)
{
    return error == ENOENT   ? std::string("no such file")
           : error == EISDIR ? std::string("is a folder, not a file")
           : error == EINVAL ? std::string("is not a regular file")
                             : std::string("cannot be opened: ") + std::strerror(error);
}

bool StampOf(std::FILE* file, DMFileStamp& stamp)
{
#ifdef _WIN32
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0)
        return false;
    stamp.modifiedNs = static_cast<std::int64_t>(info.st_mtime) * 1000000000;
    stamp.changedNs = stamp.modifiedNs;
#else
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0)
        return false;
    stamp.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
#endif
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.file = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

}  // namespace tomelens::core
