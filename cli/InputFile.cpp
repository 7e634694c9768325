#include "InputFile.h"

tomelens::core::UniqueFile OpenInputFile(const std::string& path, std::string& problem, unsigned long long& size)
{
    int error = 0;
    auto file = tomelens::core::OpenRegularFile(path, &size, &error);
    if (!file)
        problem = tomelens::core::OpenProblemText(error);
    return file;
}
