#include "engine/ArchiveFile.h"

#include "archive/DMResultCodes.h"
#include "engine/LibraryMessages.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

DataFilePtr NewDataFile()
{
    DataFilePtr file(CreateDMDataFile(nullptr));
    if (!file)
        throw std::bad_alloc();
    return file;
}

Outcome OpenArchive(const std::string& path, LoadMode mode, DataFilePtr& file)
{
    file.reset();
    return Guarded([&] {
        std::error_code error;
        const auto status = fs::status(path, error);
        if (!fs::exists(status))
            return Outcome::Failure(Step::Open, path, "no such file");
        if (fs::is_directory(status))
            return Outcome::Failure(Step::Open, path, "is a folder, not an archive");
        if (!fs::is_regular_file(status))
            return Outcome::Failure(Step::Open, path, "is not a regular file");
        DataFilePtr opened = NewDataFile();
        const int code = mode == LoadMode::Index ? opened->LoadIndex(path.c_str()) : opened->Load(path.c_str());
        if (code != DMResult::Success)
            return Outcome::Failure(Step::Open, path, ArchiveLoadMessage(code));
        file = std::move(opened);
        return Outcome::Success();
    });
}

std::vector<unsigned> LiveEntries(DMDataFile& file)
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

}  // namespace tomelens::core
