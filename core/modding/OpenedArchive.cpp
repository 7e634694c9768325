#include "modding/OpenedArchive.h"

#include "archive/DMResultCodes.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace tomelens::core {

DataFileHandle NewArchive()
{
    DataFileHandle file(CreateDMDataFile(nullptr));
    if (!file)
        throw std::bad_alloc();
    return file;
}

DataFileHandle OpenArchiveIndex(const std::string& path, std::string& problem)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        problem = "no such file";
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status)) {
        problem = std::filesystem::is_directory(status) ? "is a folder, not an archive" : "is not a regular file";
        return nullptr;
    }
    DataFileHandle file = NewArchive();
    const int code = file->LoadIndex(path.c_str());
    if (code != DMResult::Success) {
        problem = LibraryCodeText(code);
        return nullptr;
    }
    return file;
}

std::string LibraryCodeText(int code)
{
    switch (code) {
    case DMResult::NoPath:
    case DMResult::CannotOpen:
        return "cannot be opened";
    case DMResult::ShortWrite:
        return "cannot be written in full (a full disk, or more than the archive format's 4 GiB)";
    case DMResult::ShortRead:
        return "cannot be read in full";
    case DMResult::NotArchive:
        return "is not a valid archive";
    case DMResult::CorruptData:
        return "holds corrupt packed data";
    case DMResult::NoDirectory:
        return "its directory cannot be built";
    default:
        return "failed (code " + std::to_string(code) + ")";
    }
}

}  // namespace tomelens::core
