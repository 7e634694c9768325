#include "archive/SiblingPath.h"

namespace tomelens::archive {

std::size_t NameStart(std::string_view path, PathStyle style)
{
    const std::string_view separators = style == PathStyle::Windows ? "/\\" : "/";
    const auto last = path.find_last_of(separators);
    if (last != std::string_view::npos)
        return last + 1;
    // "C:game.dat" is game.dat in drive C's current folder.
    const bool drive = style == PathStyle::Windows && path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ? 2 : 0;
}

std::string SiblingPath(std::string_view target, std::string_view name, PathStyle style)
{
    const std::size_t nameStart = NameStart(target, style);
    if (nameStart == target.size())
        return {};
    std::string path(target.substr(0, nameStart));
    path += name;
    return path;
}

std::string FolderOf(std::string_view target, PathStyle style)
{
    const std::size_t nameStart = NameStart(target, style);
    return nameStart == 0 ? std::string(".") : std::string(target.substr(0, nameStart));
}

}  // namespace tomelens::archive
