#include "SafeEntryPath.h"

namespace {

bool OnlyDots(std::string_view part)
{
    return part.find_first_not_of('.') == std::string_view::npos;
}

std::string SafePart(std::string_view part)
{
    if (OnlyDots(part))
        return std::string(part.size(), '_');
    std::string safe;
    safe.reserve(part.size());
    for (char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        safe += (c == ':' || byte < 0x20 || byte == 0x7F) ? '_' : c;
    }
    return safe;
}

}  // namespace

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
            path += SafePart(part);
        }
        start = end + 1;
    }
    return path;
}

std::string NumberedPath(const std::string& path, unsigned n)
{
    return path + "~" + std::to_string(n);
}
