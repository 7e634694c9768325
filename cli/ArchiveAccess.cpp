#include "ArchiveAccess.h"

#include "LibraryMessages.h"
#include "archive/DMResultCodes.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// A deflate stream expands at most about 1032 to 1, and each block adds a
// header, so no valid entry is longer than this many times its packed bytes.
constexpr unsigned long long kMaxInflateRatio = 1032;
}  // namespace

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
    DataFilePtr file = NewDataFile();
    const int code = file->Load(path.c_str());
    if (code != DMResult::Success) {
        problem = ArchiveLoadMessage(code);
        return nullptr;
    }
    return file;
}

std::vector<unsigned> FindEntries(DMDataFile& file, std::string_view name)
{
    std::vector<unsigned> found;
    for (unsigned position = 0; position < file.GetNumEntries(); ++position) {
        const DMDataFileEntry* entry = file.GetEntry(position);
        if (entry && !entry->Deleted() && name == entry->GetName())
            found.push_back(position);
    }
    return found;
}

std::vector<unsigned> AllEntries(DMDataFile& file)
{
    std::vector<unsigned> all;
    for (unsigned position = 0; position < file.GetNumEntries(); ++position) {
        const DMDataFileEntry* entry = file.GetEntry(position);
        if (entry && !entry->Deleted())
            all.push_back(position);
    }
    return all;
}

int ReadEntryData(const DMDataFileEntry& entry, std::vector<unsigned char>& bytes)
{
    const unsigned long long length = entry.GetLength();
    if (length > kMaxInflateRatio * entry.GetPackedLength())
        return DMResult::CorruptData;
    bytes.assign(length, 0);
    return entry.GetData(bytes.data());
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
