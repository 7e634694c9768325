#include "archive/StaleSaveTemps.h"

#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"

#include "archive/WindowsHeaders.h"

#include <cstdio>

namespace tomelens::archive {

namespace {

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

}  // namespace

void RemoveStaleSaveTemps(const std::string& target)
{
    const std::uint32_t ours = TargetNameHash(std::string_view(target).substr(NameStart(target, PathStyle::Windows)));
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, ".tl~%08x-*.tmp", static_cast<unsigned>(ours));
    const std::string search = SiblingPath(target, pattern, PathStyle::Windows);
    WIN32_FIND_DATAA found {};
    HANDLE finder = ::FindFirstFileA(search.c_str(), &found);
    if (finder == INVALID_HANDLE_VALUE)
        return;
    do {
        std::uint32_t hash = 0;
        std::uint64_t pid = 0;
        if (ParseSaveTempName(found.cFileName, hash, pid) && hash == ours && ProcessIsGone(pid))
            ::DeleteFileA(SiblingPath(target, found.cFileName, PathStyle::Windows).c_str());
    } while (::FindNextFileA(finder, &found));
    ::FindClose(finder);
}

}  // namespace tomelens::archive
