#include "archive/FileIo.h"

#include "archive/DMDataFile.h"

#include "archive/LastError.h"

#include "archive/WindowsHeaders.h"

#include <algorithm>

namespace tomelens::archive {

namespace {
// ReadFile and WriteFile move at most a DWORD per call; stay well below it.
constexpr std::uint64_t kMaxChunk = 1u << 30;
}  // namespace

NativeFile FileHandle::Adopt(NativeFile file)
{
    return file == INVALID_HANDLE_VALUE ? kNone : file;
}

bool FileHandle::CloseNative(NativeFile file)
{
    return ::CloseHandle(file) != 0;
}

bool StampOf(NativeFile file, DMFileStamp& stamp)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.file = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modifiedNs =
        static_cast<std::int64_t>((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32)
                                  | info.ftLastWriteTime.dwLowDateTime) * 100;
    // Windows keeps no change time that this call reports; the write time serves.
    stamp.changedNs = stamp.modifiedNs;
    return true;
}

FileHandle OpenRegularFileForReading(const char* path, std::uint64_t& size)
{
    ClearSystemError();
    // Others may read, write, rename or delete the file meanwhile, as on POSIX.
    FileHandle file(::CreateFileA(path, GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        RecordSystemError();
        return FileHandle();
    }
    // Not a system failure: anything but a file on disk is simply not one we read.
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK)
        return FileHandle();
    if (!::GetFileInformationByHandle(file.Get(), &info)) {
        RecordSystemError();
        return FileHandle();
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FileHandle();
    size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return file;
}

std::uint64_t ReadFully(NativeFile file, void* dest, std::uint64_t count)
{
    auto* bytes = static_cast<unsigned char*>(dest);
    std::uint64_t done = 0;
    while (done < count) {
        DWORD moved = 0;
        const auto chunk = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!::ReadFile(file, bytes + done, chunk, &moved, nullptr)) {
            RecordSystemError();
            break;
        }
        if (moved == 0)
            break;
        done += moved;
    }
    return done;
}

bool WriteFully(NativeFile file, const void* source, std::uint64_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(source);
    std::uint64_t done = 0;
    while (done < count) {
        DWORD moved = 0;
        const auto chunk = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!::WriteFile(file, bytes + done, chunk, &moved, nullptr)) {
            RecordSystemError();
            return false;
        }
        if (moved == 0) {
            RecordSystemError(ERROR_DISK_FULL);  // nothing moved and nothing reported
            return false;
        }
        done += moved;
    }
    return true;
}

}  // namespace tomelens::archive
