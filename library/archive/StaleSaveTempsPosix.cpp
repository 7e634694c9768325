#include "archive/StaleSaveTemps.h"

#include "archive/SaveTempName.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace tomelens::archive {

namespace {

// The kernel's id of this boot; empty where there is none to read.
std::string BootId()
{
    char id[64] = {};
    if (std::FILE* file = std::fopen("/proc/sys/kernel/random/boot_id", "re")) {
        if (!std::fgets(id, sizeof id, file))
            id[0] = '\0';
        std::fclose(file);
    }
    return id;
}

}  // namespace

std::uint32_t MachineTag()
{
    static const std::uint32_t tag = [] {
        char host[256] = {};
        if (::gethostname(host, sizeof host - 1) != 0)
            host[0] = '\0';
        return MachineTagOf(host, BootId());
    }();
    return tag;
}

bool ProcessIsGone(std::uint64_t pid)
{
    // 0 and numbers beyond pid_t would address process groups or nothing.
    if (pid == 0 || pid > static_cast<std::uint64_t>(INT_MAX) || static_cast<pid_t>(pid) == ::getpid())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool IsDeadLocalLeftover(const SaveTempOwner& owner)
{
    return owner.machine == MachineTag() && ProcessIsGone(owner.pid);
}

void RemoveStaleSaveTemps(const int& folder, std::optional<std::uint32_t> target)
{
    // The listing gets a descriptor of its own; the caller's stays open.
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return;  // the save's own steps report what is wrong with the folder
    DIR* items = ::fdopendir(listed);
    if (!items) {
        ::close(listed);
        return;
    }
    while (const dirent* item = ::readdir(items)) {
        SaveTempOwner owner;
        if (ParseSaveTempName(item->d_name, owner) && (!target || owner.target == *target) &&
            IsDeadLocalLeftover(owner))
            ::unlinkat(folder, item->d_name, 0);
    }
    ::closedir(items);
}

}  // namespace tomelens::archive
