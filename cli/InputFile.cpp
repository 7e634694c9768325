#include "InputFile.h"

#include <cerrno>
#include <cstring>

tomelens::core::UniqueFile OpenInputFile(const std::string& path, std::string& problem, unsigned long long& size)
{
    int error = 0;
    auto file = tomelens::core::OpenRegularFile(path, &size, &error);
    if (!file) {
        problem = error == ENOENT   ? std::string(kNoSuchFile)
                  : error == EISDIR ? std::string("is a folder, not a file")
                  : error == EINVAL ? std::string("is not a regular file")
                                    : std::string("cannot be opened: ") + std::strerror(error);
    }
    return file;
}
