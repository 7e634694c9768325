#include "engine/SafeEntryPath.h"

#include "SafeFileName.h"

namespace tomelens::core {

std::string SafeEntryPath(std::string_view name)
{
    std::string path;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        const std::string_view part = name.substr(start, end - start);
        if (!part.empty() && part != ".") {
            if (!path.empty())
                path += '/';
            path += tomelens::core::SafeFileName(part);
        }
        start = end + 1;
    }
    return path;
}

std::string NumberedPath(const std::string& path, unsigned n)
{
    return path + "~" + std::to_string(n);
}

}  // namespace tomelens::core
