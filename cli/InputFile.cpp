#include "InputFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

std::string StatusProblem(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return "is a folder, not a file";
    if (!S_ISREG(info.st_mode))
        return "is not a regular file";
    return {};
}

std::string OpenProblem(int error)
{
    return error == ENOENT ? kNoSuchFile : std::string("cannot be opened: ") + std::strerror(error);
}

}  // namespace

InputFilePtr OpenInputFile(const std::string& path, std::string& problem, unsigned long long& size)
{
#ifdef _WIN32
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        problem = OpenProblem(errno);
        return nullptr;
    }
    if (problem = StatusProblem(info); !problem.empty())
        return nullptr;
    InputFilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        problem = OpenProblem(errno);
    size = static_cast<unsigned long long>(info.st_size);
    return file;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = OpenProblem(errno);
        return nullptr;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        problem = OpenProblem(errno);
        ::close(fd);
        return nullptr;
    }
    problem = StatusProblem(info);
    // Reads of a regular file never wait; the flag only mattered for the open.
    if (problem.empty() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        problem = OpenProblem(errno);
    std::FILE* stream = problem.empty() ? ::fdopen(fd, "rb") : nullptr;
    if (!stream) {
        if (problem.empty())
            problem = OpenProblem(errno);
        ::close(fd);
        return nullptr;
    }
    size = static_cast<unsigned long long>(info.st_size);
    return InputFilePtr(stream);
#endif
}
