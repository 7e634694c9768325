// WriteFileAtomically on Windows: the same steps as on POSIX with Win32 calls
// on wide paths, since std::filesystem::path holds UTF-16 there.
#include "SafeFileWriter.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

std::string ErrorText(DWORD error)
{
    return std::error_code(static_cast<int>(error), std::system_category()).message();
}

bool WriteAll(HANDLE file, std::span<const unsigned char> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// A replaced regular file keeps its attributes and access rights through
// ReplaceFile; anything else (a new file, a link) is renamed over.
bool PutInPlace(const fs::path& temporary, const fs::path& path, bool replaceRegularFile,
                bool flushToDisk)
{
    if (replaceRegularFile && ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (flushToDisk ? MOVEFILE_WRITE_THROUGH : 0);
    return MoveFileExW(temporary.c_str(), path.c_str(), flags) != 0;
}

}  // namespace

std::string WriteFileAtomically(const fs::path& path, std::span<const unsigned char> bytes,
                                bool flushToDisk)
{
    fs::file_status status;
    fs::path folder;
    if (std::string refused = FolderForReplacing(path, status, folder); !refused.empty())
        return refused;
    static std::atomic<unsigned> counter{0};
    fs::path temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder / (L".tomelens-cli." + std::to_wstring(GetCurrentProcessId()) + L"." +
                              std::to_wstring(counter++));
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        error = GetLastError();
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE)
        return "cannot create a file in '" + folder.string() + "': " + ErrorText(error);

    bool ok = WriteAll(file, bytes) && (!flushToDisk || FlushFileBuffers(file));
    if (!ok)
        error = GetLastError();
    if (!CloseHandle(file) && ok)
        error = GetLastError(), ok = false;
    const bool replaceRegularFile = fs::is_regular_file(status);
    if (ok && !PutInPlace(temporary, path, replaceRegularFile, flushToDisk)) {
        error = GetLastError(), ok = false;
        // ReplaceFile can fail after removing the target: keep the only copy then.
        std::error_code missing;
        if (replaceRegularFile && !fs::exists(fs::symlink_status(path, missing)) && !missing)
            return "cannot be written: " + ErrorText(error) + "; the new content is in '" +
                   temporary.string() + "'";
    }
    if (!ok) {
        DeleteFileW(temporary.c_str());
        return "cannot be written: " + ErrorText(error);
    }
    return {};
}

}  // namespace tomelens::core
