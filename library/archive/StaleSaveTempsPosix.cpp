#include "archive/StaleSaveTemps.h"

#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace tomelens::archive {

namespace {

bool ProcessIsGone(std::uint64_t pid)
{
    // 0 and numbers beyond pid_t would address process groups or nothing.
    if (pid == 0 || pid > static_cast<std::uint64_t>(INT_MAX) || static_cast<pid_t>(pid) == ::getpid())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

void RemoveStaleSaveTemps(const std::string& target)
{
    const std::uint32_t ours = TargetNameHash(std::string_view(target).substr(NameStart(target, PathStyle::Posix)));
    DIR* folder = ::opendir(FolderOf(target, PathStyle::Posix).c_str());
    if (!folder)
        return;  // the save's own open reports what is wrong with the folder
    while (const dirent* item = ::readdir(folder)) {
        std::uint32_t hash = 0;
        std::uint64_t pid = 0;
        if (ParseSaveTempName(item->d_name, hash, pid) && hash == ours && ProcessIsGone(pid))
            ::unlinkat(::dirfd(folder), item->d_name, 0);
    }
    ::closedir(folder);
}

}  // namespace tomelens::archive
