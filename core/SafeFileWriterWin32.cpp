// AtomicFile's steps with Win32 calls on wide paths, since
// std::filesystem::path holds UTF-16 there.
#include "SafeFileWriter.h"

#include "WindowsHeaders.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

std::string SystemText(DWORD error)
{
    return std::error_code(static_cast<int>(error), std::system_category()).message();
}

}  // namespace

bool AtomicFile::Begin(const fs::path& target, AtomicFileOptions options)
{
    Abort();
    m_failedStep = Step::None;
    m_options = options;
    m_target = options.followLinkAtTarget ? FollowLinks(target) : target;
    std::error_code ignored;
    const auto status = fs::symlink_status(m_target, ignored);
    if (fs::is_directory(status))
        return Fail(Step::Create, ERROR_DIRECTORY, "is a folder");
    m_replacesRegularFile = fs::is_regular_file(status);

    fs::path folder = m_target.parent_path();
    if (folder.empty())
        folder = ".";
    static std::atomic<unsigned> counter{0};
    DWORD error = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        m_temporary = folder / (L".tomelens." + std::to_wstring(GetCurrentProcessId()) + L"." +
                                std::to_wstring(counter++));
        file = CreateFileW(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN,
                           nullptr);
        error = GetLastError();
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        m_temporary.clear();
        return Fail(Step::Create, static_cast<int>(error),
                    "cannot create a file in '" + folder.string() + "': " + SystemText(error));
    }
    m_handle = file;
    return true;
}

bool AtomicFile::Write(std::span<const unsigned char> bytes)
{
    if (!m_handle)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(static_cast<HANDLE>(m_handle), bytes.data() + done, chunk, &written, nullptr) ||
            written == 0) {
            const DWORD error = GetLastError();
            return Fail(Step::Write, static_cast<int>(error), "cannot be written: " + SystemText(error));
        }
        done += written;
    }
    return true;
}

bool AtomicFile::Commit()
{
    if (!m_handle)
        return false;
    HANDLE file = static_cast<HANDLE>(m_handle);
    if (m_options.flushToDisk && !FlushFileBuffers(file)) {
        const DWORD error = GetLastError();
        return Fail(Step::Write, static_cast<int>(error), "cannot be written: " + SystemText(error));
    }
    m_handle = nullptr;
    if (!CloseHandle(file)) {
        const DWORD error = GetLastError();
        return Fail(Step::Write, static_cast<int>(error), "cannot be written: " + SystemText(error));
    }
    // A replaced regular file keeps its attributes and access rights through
    // ReplaceFile; anything else is renamed over.
    if (m_replacesRegularFile && ReplaceFileW(m_target.c_str(), m_temporary.c_str(), nullptr,
                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        SetFileAttributesW(m_target.c_str(), GetFileAttributesW(m_target.c_str()) & ~FILE_ATTRIBUTE_HIDDEN);
        m_temporary.clear();
        return true;
    }
    SetFileAttributesW(m_temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (m_options.flushToDisk ? MOVEFILE_WRITE_THROUGH : 0);
    if (MoveFileExW(m_temporary.c_str(), m_target.c_str(), flags)) {
        m_temporary.clear();
        return true;
    }
    const DWORD error = GetLastError();
    // ReplaceFile can fail after removing the target: keep the only copy then.
    std::error_code missing;
    if (m_replacesRegularFile && !fs::exists(fs::symlink_status(m_target, missing)) && !missing) {
        const std::string text = "cannot be written: " + SystemText(error) + "; the new content is in '" +
                                 m_temporary.string() + "'";
        m_temporary.clear();
        return Fail(Step::Replace, static_cast<int>(error), text);
    }
    return Fail(Step::Replace, static_cast<int>(error), "cannot replace it: " + SystemText(error));
}

void AtomicFile::Abort()
{
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
    if (!m_temporary.empty())
        DeleteFileW(m_temporary.c_str());
    m_temporary.clear();
}

}  // namespace tomelens::core
