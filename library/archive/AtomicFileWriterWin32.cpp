#include "archive/AtomicFileWriter.h"

#include "archive/DMResultCodes.h"
#include "archive/LastError.h"
#include "archive/SaveTempName.h"
#include "archive/SiblingPath.h"
#include "archive/StaleSaveTemps.h"

#include "archive/WindowsHeaders.h"

#include <atomic>
#include <cerrno>

// Works on wide paths, so names outside the ANSI code page (extracted
// entries) are written as they are; the library's byte-string paths are
// taken in the ANSI code page, as the A calls would.
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

std::wstring Widen(const char* text)
{
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 1)
        return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), needed);
    wide.resize(static_cast<std::size_t>(needed - 1));
    return wide;
}

// Our temporary names are plain ASCII.
std::wstring WidenAscii(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The hash of a name's UTF-16 units, for the temporary names.
std::uint32_t WideNameHash(const std::wstring& name)
{
    std::string units;
    for (const wchar_t c : name) {
        units += static_cast<char>(c & 0xFF);
        units += static_cast<char>((c >> 8) & 0xFF);
    }
    return TargetNameHash(units);
}

// The path an open file really has, links resolved; empty when unknown.
std::wstring FinalPathOf(HANDLE file)
{
    const DWORD needed = ::GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
    if (needed == 0)
        return {};
    std::wstring path(needed, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), needed, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= needed)
        return {};
    path.resize(length);
    return path;
}

// The absolute form of a path; the path itself when that cannot be had.
std::wstring FullPath(const std::wstring& path)
{
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    return full;
}

// Moves the finished temporary file over the target. ReplaceFile keeps an
// existing target's attributes and access rights, and it is the one call that
// replaces a file others hold open (sharing deletion, as our own readers and
// the writers' lock do): a rename over an open file is refused. Some
// implementations of it need absolute paths. Where it cannot work (some file
// systems), a plain rename still puts the new content in place.
bool PutInPlace(const std::wstring& temporary, const std::wstring& target, bool targetExisted,
                const WriteOptions& options)
{
    if (!options.replaceExisting)
        return ::MoveFileExW(temporary.c_str(), target.c_str(), options.flushToDisk ? MOVEFILE_WRITE_THROUGH : 0) != 0;
    if (targetExisted && options.followTarget &&
        ::ReplaceFileW(FullPath(target).c_str(), FullPath(temporary).c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr))
        return true;
    return ::MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | (options.flushToDisk ? MOVEFILE_WRITE_THROUGH : 0)) != 0;
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

std::string AtomicFileWriter::NextTempName() const
{
    static std::atomic<unsigned> counter{0};
    const SaveTempOwner owner{WideNameHash(m_name), MachineTag(), ::GetCurrentProcessId()};
    return SaveTempName(owner, counter++);
}

int AtomicFileWriter::Open(const char* target, const WriteOptions& options)
{
    Discard();
    m_targetExisted = false;
    std::wstring path = Widen(target);
    const std::size_t nameStart = NameStart(std::wstring_view(path), PathStyle::Windows);
    if (path.empty() || nameStart == path.size()) {
        Fail(Step::Create, path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_DIRECTORY);
        return DMResult::CannotOpen;
    }
    if (options.followTarget) {
        // A link keeps pointing at the replaced file.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            FileHandle existing(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            std::wstring resolved = existing.Valid() ? FinalPathOf(existing.Get()) : std::wstring();
            if (!resolved.empty())
                path = std::move(resolved);
        }
    }
    const std::size_t start = NameStart(std::wstring_view(path), PathStyle::Windows);
    return OpenIn(path.substr(0, start), path.substr(start), options);
}

int AtomicFileWriter::OpenIn(const std::wstring& folder, const std::wstring& name, const WriteOptions& options)
{
    Discard();
    m_folder = folder;
    m_name = name;
    return Begin(options);
}

int AtomicFileWriter::Begin(const WriteOptions& options)
{
    ClearSystemError();
    m_options = options;
    m_failed = false;
    m_failedStep = Step::None;
    m_systemError = 0;
    m_targetExisted = false;
    m_targetInfo = {};
    const std::wstring target = m_folder + m_name;

    // Opening follows links unless told not to; reading attributes works even while others hold the file.
    const DWORD openFlags = FILE_FLAG_BACKUP_SEMANTICS | (options.followTarget ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    FileHandle existing(
        ::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, openFlags, nullptr));
    if (!existing.Valid()) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            Fail(Step::Create, static_cast<int>(error));
            return DMResult::CannotOpen;
        }
    } else if (options.followTarget && ::GetFileType(existing.Get()) != FILE_TYPE_DISK) {
        // A device (NUL, a serial port) or a pipe cannot be renamed over; write to it directly.
        existing.Close();
        m_file = FileHandle(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file.Valid()) {
            Fail(Step::Create);
            return DMResult::CannotOpen;
        }
        m_temp = Temp::None;
        return DMResult::Success;
    } else {
        m_targetExisted = true;
        BY_HANDLE_FILE_INFORMATION info {};
        if (!::GetFileInformationByHandle(existing.Get(), &info)) {
            Fail(Step::Create);
            return DMResult::CannotOpen;
        }
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && options.replaceExisting) {
            Fail(Step::Create, ERROR_DIRECTORY);
            return DMResult::CannotOpen;
        }
        // Its owner protected it: refuse rather than replace it behind their back.
        if (options.followTarget && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            Fail(Step::Create, ERROR_ACCESS_DENIED);
            return DMResult::CannotOpen;
        }
        m_targetInfo.accessTime = FromFileTime(info.ftLastAccessTime);
        m_targetInfo.writeTime = FromFileTime(info.ftLastWriteTime);
    }

    existing.Close();
    if (options.sweepLeftovers)
        RemoveStaleSaveTemps(m_folder, WideNameHash(m_name));
    if (!OpenNamed()) {
        Fail(Step::Create);
        return DMResult::CannotOpen;
    }
    return DMResult::Success;
}

// A hidden file beside the target; a killed writer's one is swept by a later save.
bool AtomicFileWriter::OpenNamed()
{
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::wstring candidate = WidenAscii(NextTempName());
        HANDLE file = ::CreateFileW((m_folder + candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_HIDDEN, nullptr);
        const DWORD error = ::GetLastError();
        m_file = FileHandle(file);
        if (m_file.Valid()) {
            m_tempName = std::move(candidate);
            m_temp = Temp::Named;
            return true;
        }
        ::SetLastError(error);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return false;
}

int AtomicFileWriter::Commit()
{
    if (m_failed || !m_file.Valid()) {
        if (m_failedStep == Step::None)
            Fail(Step::Write, ERROR_INVALID_HANDLE);
        Discard();
        return DMResult::ShortWrite;
    }
    if (m_temp == Temp::None) {
        if (m_file.Close())
            return DMResult::Success;
        Fail(Step::Write);
        return DMResult::ShortWrite;
    }

    if (m_options.keepTimes == KeepTimes::Yes && m_targetExisted) {
        const FILETIME accessTime = ToFileTime(m_targetInfo.accessTime);
        const FILETIME writeTime = ToFileTime(m_targetInfo.writeTime);
        ::SetFileTime(m_file.Get(), nullptr, &accessTime, &writeTime);
    }
    if (!Unhide(m_file.Get()) || (m_options.flushToDisk && !::FlushFileBuffers(m_file.Get())) ||
        !m_file.Close()) {
        Fail(Step::Write);
        Discard();
        return DMResult::ShortWrite;
    }
    if (g_beforeReplaceHook)
        g_beforeReplaceHook();
    if (m_options.lastLook && !m_options.lastLook()) {
        Fail(Step::Replace, 0);
        Discard();
        return DMResult::ShortWrite;
    }
    const std::wstring target = m_folder + m_name;
    if (!PutInPlace(m_folder + m_tempName, target, m_targetExisted, m_options)) {
        DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS)
            error = ERROR_FILE_EXISTS;  // one code for a taken name
        Fail(Step::Replace, static_cast<int>(error));
        // ReplaceFile can fail after removing the target; then the temporary
        // file holds the only copy of the content and is kept.
        if (m_targetExisted && m_options.replaceExisting &&
            ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND)
            m_tempName.clear();
        Discard();
        return DMResult::ShortWrite;
    }
    m_tempName.clear();
    m_temp = Temp::None;
    return DMResult::Success;
}

bool AtomicFileWriter::Fail(Step step)
{
    return Fail(step, static_cast<int>(::GetLastError()));
}

void AtomicFileWriter::Discard()
{
    m_file.Close();
    if (m_temp == Temp::Named && !m_tempName.empty())
        ::DeleteFileW((m_folder + m_tempName).c_str());
    m_tempName.clear();
    m_temp = Temp::None;
}

}  // namespace tomelens::archive
