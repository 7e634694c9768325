#include "ArchiveAccess.h"

#include "LibraryMessages.h"
#include "archive/DMResultCodes.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

DataFilePtr NewDataFile()
{
    DataFilePtr file(CreateDMDataFile(nullptr));
    if (!file)
        throw std::bad_alloc();
    return file;
}

DataFilePtr OpenArchive(const std::string& path, std::string& problem)
{
    std::error_code error;
    const auto status = fs::status(path, error);
    if (!fs::exists(status)) {
        problem = "no such file";
        return nullptr;
    }
    if (fs::is_directory(status)) {
        problem = "is a folder, not an archive";
        return nullptr;
    }
    if (!fs::is_regular_file(status)) {
        problem = "is not a regular file";
        return nullptr;
    }
    DataFilePtr file = NewDataFile();
    const int code = file->LoadIndex(path.c_str());
    if (code != DMResult::Success) {
        problem = ArchiveLoadMessage(code);
        return nullptr;
    }
    return file;
}

std::vector<unsigned> AllEntries(DMDataFile& file)
{
    std::vector<unsigned> all;
    all.reserve(file.GetNumEntries());
    for (unsigned position = 0; position < file.GetNumEntries(); ++position) {
        const DMDataFileEntry* entry = file.GetEntry(position);
        if (entry && !entry->Deleted())
            all.push_back(position);
    }
    return all;
}

std::string InputFileProblem(const std::string& path)
{
    std::error_code error;
    const auto status = fs::status(path, error);
    if (!fs::exists(status))
        return "no such file";
    if (fs::is_directory(status))
        return "is a folder, not a file";
    if (!fs::is_regular_file(status))
        return "is not a regular file";
    return {};
}
