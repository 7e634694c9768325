#include "archive/AtomicFileWriter.h"

#include "archive/DMResultCodes.h"
#include "archive/LastError.h"
#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"
#include "archive/StaleSaveTemps.h"

#include "archive/WindowsHeaders.h"

#include <atomic>

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

constexpr unsigned kNameAttempts = 100;

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

// The full form of a path, or the path itself when it has none.
std::string FullPath(const std::string& path)
{
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    std::string full(needed, '\0');
    const DWORD length = needed ? ::GetFullPathNameA(path.c_str(), needed, full.data(), nullptr) : 0;
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    return full;
}

// Moves the finished temporary file over the target. ReplaceFile keeps an
// existing target's attributes and access rights, and replaces a target that
// others hold open for reading, which a rename cannot; it is given full paths,
// as it refuses relative ones on some systems. Where it cannot work (some file
// systems), a plain rename still puts the new content in place.
bool PutInPlace(const std::string& temporary, const std::string& target, bool targetExisted)
{
    if (targetExisted && ::ReplaceFileA(FullPath(target).c_str(), FullPath(temporary).c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return ::MoveFileExA(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// The temporary file stays hidden while it is written; its replacement of the
// target must not be, so the attribute goes before the file is put in place.
bool Unhide(HANDLE file)
{
    FILE_BASIC_INFO info {};  // times of 0 stay as they are
    info.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;  // what a freshly created file has
    return ::SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != 0;
}

}  // namespace

std::string AtomicFileWriter::NextTempPath() const
{
    static std::atomic<unsigned> counter{0};
    const std::string_view name = std::string_view(m_target).substr(NameStart(m_target, PathStyle::Windows));
    return SiblingPath(m_target, SaveTempName(name, ::GetCurrentProcessId(), counter++), PathStyle::Windows);
}

int AtomicFileWriter::Open(const char* target, KeepTimes keepTimes)
{
    Discard();
    ClearSystemError();
    m_failed = false;
    m_keepTimes = keepTimes;
    m_targetExisted = false;
    m_targetInfo = {};
    m_target = target;
    if (SiblingPath(m_target, "x", PathStyle::Windows).empty()) {
        RecordSystemError(m_target.empty() ? ERROR_FILE_NOT_FOUND : ERROR_DIRECTORY);
        return DMResult::CannotOpen;
    }

    // Opening follows links; reading attributes works even while others hold the file.
    FileHandle existing(::CreateFileA(target, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing.Valid()) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            RecordSystemError(static_cast<int>(error));
            return DMResult::CannotOpen;
        }
    } else if (::GetFileType(existing.Get()) != FILE_TYPE_DISK) {
        // A device (NUL, a serial port) or a pipe cannot be renamed over; write to it directly.
        existing.Close();
        m_file = FileHandle(::CreateFileA(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file.Valid())
            RecordSystemError();
        m_temp = Temp::None;
        return m_file.Valid() ? DMResult::Success : DMResult::CannotOpen;
    } else {
        BY_HANDLE_FILE_INFORMATION info {};
        if (!::GetFileInformationByHandle(existing.Get(), &info)) {
            RecordSystemError();
            return DMResult::CannotOpen;
        }
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            RecordSystemError(ERROR_DIRECTORY);
            return DMResult::CannotOpen;
        }
        // Its owner protected it: refuse rather than replace it behind their back.
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            RecordSystemError(ERROR_ACCESS_DENIED);
            return DMResult::CannotOpen;
        }
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

    existing.Close();
    RemoveStaleSaveTemps(m_target);
    return OpenNamed(0) ? DMResult::Success : DMResult::CannotOpen;
}

// A hidden file beside the target; a killed writer's one is swept by the next save.
bool AtomicFileWriter::OpenNamed(unsigned)
{
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = NextTempPath();
        HANDLE file = ::CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_HIDDEN, nullptr);
        const DWORD error = ::GetLastError();
        m_file = FileHandle(file);
        if (m_file.Valid()) {
            m_tempPath = std::move(candidate);
            m_temp = Temp::Named;
            return true;
        }
        RecordSystemError(static_cast<int>(error));
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return false;
}

int AtomicFileWriter::Commit()
{
    if (m_failed || !m_file.Valid()) {
        Discard();
        return DMResult::ShortWrite;
    }
    if (m_temp == Temp::None) {
        if (m_file.Close())
            return DMResult::Success;
        RecordSystemError();
        return DMResult::ShortWrite;
    }

    if (m_keepTimes == KeepTimes::Yes && m_targetExisted) {
        const FILETIME accessTime = ToFileTime(m_targetInfo.accessTime);
        const FILETIME writeTime = ToFileTime(m_targetInfo.writeTime);
        ::SetFileTime(m_file.Get(), nullptr, &accessTime, &writeTime);
    }
    if (!Unhide(m_file.Get()) || !::FlushFileBuffers(m_file.Get()) || !m_file.Close()) {
        RecordSystemError();
        Discard();
        return DMResult::ShortWrite;
    }
    if (g_beforeReplaceHook)
        g_beforeReplaceHook();
    if (!PutInPlace(m_tempPath, m_target, m_targetExisted)) {
        RecordSystemError();
        // ReplaceFile can fail after removing the target; then the temporary
        // file holds the only copy of the content and is kept.
        if (m_targetExisted && ::GetFileAttributesA(m_target.c_str()) == INVALID_FILE_ATTRIBUTES &&
            ::GetLastError() == ERROR_FILE_NOT_FOUND)
            m_tempPath.clear();
        Discard();
        return DMResult::ShortWrite;
    }
    m_tempPath.clear();
    m_temp = Temp::None;
    return DMResult::Success;
}

void AtomicFileWriter::Discard()
{
    m_file.Close();
    if (m_temp == Temp::Named && !m_tempPath.empty())
        ::DeleteFileA(m_tempPath.c_str());
    m_tempPath.clear();
    m_temp = Temp::None;
}

}  // namespace tomelens::archive
