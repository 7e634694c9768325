#include "archive/AtomicFileWriter.h"

#include "archive/DMResultCodes.h"
#include "archive/SiblingPath.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace tomelens::archive {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::uint64_t FromFileTime(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t value)
{
    FILETIME time {};
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

// What follows the target's name in a temporary name that no other writer uses.
std::string TemporarySuffix(unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%lu.%u.%u.%llx.tmp",
                  static_cast<unsigned long>(::GetCurrentProcessId()), counter++, attempt,
                  static_cast<unsigned long long>(ticks));
    return suffix;
}

// The path an open file really has, links resolved; empty when unknown.
std::string FinalPathOf(HANDLE file)
{
    const DWORD needed = ::GetFinalPathNameByHandleA(file, nullptr, 0, FILE_NAME_NORMALIZED);
    if (needed == 0)
        return {};
    std::string path(needed, '\0');
    const DWORD length = ::GetFinalPathNameByHandleA(file, path.data(), needed, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= needed)
        return {};
    path.resize(length);
    return path;
}

// Moves the finished temporary file over the target. ReplaceFile keeps an
// existing target's attributes and access rights; where it cannot work (some
// file systems), a plain rename still puts the new content in place.
bool PutInPlace(const std::string& temporary, const std::string& target, bool targetExisted)
{
    if (targetExisted && ::ReplaceFileA(target.c_str(), temporary.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return ::MoveFileExA(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

int AtomicFileWriter::Open(const char* target, KeepTimes keepTimes)
{
    Discard();
    m_failed = false;
    m_keepTimes = keepTimes;
    m_targetExisted = false;
    m_targetInfo = {};
    m_target = target;
    if (SiblingTemporaryPath(m_target, {}, PathStyle::Windows).empty())
        return DMResult::CannotOpen;

    // Opening follows links; reading attributes works even while others hold the file.
    FileHandle existing(::CreateFileA(target, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing.Valid()) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return DMResult::CannotOpen;
    } else if (::GetFileType(existing.Get()) != FILE_TYPE_DISK) {
        // A device (NUL, a serial port) or a pipe cannot be renamed over; write to it directly.
        existing.Close();
        m_file = FileHandle(::CreateFileA(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return m_file.Valid() ? DMResult::Success : DMResult::CannotOpen;
    } else {
        BY_HANDLE_FILE_INFORMATION info {};
        if (!::GetFileInformationByHandle(existing.Get(), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return DMResult::CannotOpen;
        m_targetExisted = true;
        m_targetInfo.accessTime = FromFileTime(info.ftLastAccessTime);
        m_targetInfo.writeTime = FromFileTime(info.ftLastWriteTime);
        // A link keeps pointing at the replaced file.
        const DWORD attributes = ::GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            std::string resolved = FinalPathOf(existing.Get());
            if (!resolved.empty())
                m_target = std::move(resolved);
        }
    }

    for (unsigned attempt = 0; attempt < 100 && !m_file.Valid(); ++attempt) {
        std::string candidate =
            SiblingTemporaryPath(m_target, TemporarySuffix(attempt), PathStyle::Windows);
        HANDLE file = ::CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = ::GetLastError();
        m_file = FileHandle(file);
        if (m_file.Valid())
            m_tempPath = std::move(candidate);
        else if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return m_file.Valid() ? DMResult::Success : DMResult::CannotOpen;
}

int AtomicFileWriter::Commit()
{
    if (m_failed || !m_file.Valid()) {
        Discard();
        return DMResult::ShortWrite;
    }
    if (m_tempPath.empty())
        return m_file.Close() ? DMResult::Success : DMResult::ShortWrite;

    if (m_keepTimes == KeepTimes::Yes && m_targetExisted) {
        const FILETIME accessTime = ToFileTime(m_targetInfo.accessTime);
        const FILETIME writeTime = ToFileTime(m_targetInfo.writeTime);
        ::SetFileTime(m_file.Get(), nullptr, &accessTime, &writeTime);
    }
    if (!::FlushFileBuffers(m_file.Get()) || !m_file.Close()) {
        Discard();
        return DMResult::ShortWrite;
    }
    if (!PutInPlace(m_tempPath, m_target, m_targetExisted)) {
        // ReplaceFile can fail after removing the target; then the temporary
        // file holds the only copy of the content and is kept.
        if (m_targetExisted && ::GetFileAttributesA(m_target.c_str()) == INVALID_FILE_ATTRIBUTES &&
            ::GetLastError() == ERROR_FILE_NOT_FOUND)
            m_tempPath.clear();
        Discard();
        return DMResult::ShortWrite;
    }
    m_tempPath.clear();
    return DMResult::Success;
}

void AtomicFileWriter::Discard()
{
    m_file.Close();
    if (!m_tempPath.empty()) {
        ::DeleteFileA(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

}  // namespace tomelens::archive
