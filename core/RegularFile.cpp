#include "RegularFile.h"

#include <sys/stat.h>

#include <cerrno>

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

}  // namespace tomelens::core
