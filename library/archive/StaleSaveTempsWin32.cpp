#include "archive/StaleSaveTemps.h"

#include "archive/SaveTempName.h"

#include "archive/WindowsHeaders.h"

#include <cstdio>

namespace tomelens::archive {

std::uint32_t MachineTag()
{
    // Process ids of an earlier boot are all gone, so the computer's name is
    // enough here: a leftover whose id a new process took is merely kept.
    static const std::uint32_t tag = [] {
        char host[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD length = sizeof host;
        if (!::GetComputerNameA(host, &length))
            host[0] = '\0';
        return MachineTagOf(host, {});
    }();
    return tag;
}

bool ProcessIsGone(std::uint64_t pid)
{
    if (pid == 0 || pid > 0xFFFFFFFFu || pid == ::GetCurrentProcessId())
        return false;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    DWORD exitCode = 0;
    // A process that has ended but is still held open by someone counts as gone.
    const bool gone = ::GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE;
    ::CloseHandle(process);
    return gone;
}

bool IsDeadLocalLeftover(const SaveTempOwner& owner)
{
    return owner.machine == MachineTag() && ProcessIsGone(owner.pid);
}

void RemoveStaleSaveTemps(const std::wstring& folder, std::optional<std::uint32_t> target)
{
    wchar_t pattern[40];
    if (target)
        std::swprintf(pattern, 40, L".tl~%08x-*.tmp", static_cast<unsigned>(*target));
    else
        std::swprintf(pattern, 40, L".tl~*.tmp");
    WIN32_FIND_DATAW found {};
    HANDLE finder = ::FindFirstFileW((folder + pattern).c_str(), &found);
    if (finder == INVALID_HANDLE_VALUE)
        return;
    do {
        // Our names are plain ASCII; anything else is not one of them.
        std::string name;
        for (const wchar_t* c = found.cFileName; *c; ++c)
            name += *c < 0x80 ? static_cast<char>(*c) : '?';
        SaveTempOwner owner;
        if (ParseSaveTempName(name, owner) && (!target || owner.target == *target) && IsDeadLocalLeftover(owner))
            ::DeleteFileW((folder + found.cFileName).c_str());
    } while (::FindNextFileW(finder, &found));
    ::FindClose(finder);
}

}  // namespace tomelens::archive
