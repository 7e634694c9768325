#include "archive/SiblingPath.h"

namespace tomelens::archive {

namespace {

template <class Char>
std::size_t NameStartOf(std::basic_string_view<Char> path, PathStyle style)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == Char('/') || (style == PathStyle::Windows && path[i] == Char('\\')))
            start = i + 1;
    if (start > 0)
        return start;
    // "C:game.dat" is game.dat in drive C's current folder.
    const bool drive = style == PathStyle::Windows && path.size() >= 2 && path[1] == Char(':') &&
                       ((path[0] >= Char('A') && path[0] <= Char('Z')) || (path[0] >= Char('a') && path[0] <= Char('z')));
    return drive ? 2 : 0;
}

}  // namespace

std::size_t NameStart(std::string_view path, PathStyle style)
{
    return NameStartOf(path, style);
}

std::size_t NameStart(std::wstring_view path, PathStyle style)
{
    return NameStartOf(path, style);
}

std::string FolderOf(std::string_view target, PathStyle style)
{
    const std::size_t nameStart = NameStart(target, style);
    return nameStart == 0 ? std::string(".") : std::string(target.substr(0, nameStart));
}

}  // namespace tomelens::archive
