#include "ArchiveEditing.h"

#include "Diagnostics.h"
#include "EntryNames.h"
#include "LibraryMessages.h"
#include "archive/DMResultCodes.h"

#include <filesystem>

bool BeginEdit(const std::string& path, ArchiveEdit& edit, bool load)
{
    std::string problem;
    if (!edit.lock.Acquire(path, tomelens::core::kArchiveLockWait, problem)) {
        ReportError(path, problem);
        return false;
    }
    if (!load)
        return true;
    edit.file = OpenArchive(path, problem);
    if (!edit.file)
        ReportError(path, problem);
    return edit.file != nullptr;
}

bool CheckInputFiles(const std::vector<std::string>& paths)
{
    bool allReadable = true;
    for (const std::string& path : paths) {
        const std::string problem = InputFileProblem(path);
        if (!problem.empty()) {
            ReportError(path, problem);
            allReadable = false;
        }
    }
    return allReadable;
}

std::optional<std::string> EntryNameForFile(const std::string& path)
{
    return NameFromArgument(std::filesystem::path(path).filename().string(), "the file name");
}

std::optional<unsigned> FindSingleEntry(const EntryIndex& index, const std::string& archivePath,
                                        const std::string& name)
{
    const auto found = index.Find(name);
    if (found.empty()) {
        ReportError(archivePath, "no " + EntryLabel(name));
        return std::nullopt;
    }
    if (found.size() > 1) {
        ReportError(archivePath, std::to_string(found.size()) + " entries are named \"" + ShownName(name)
                                     + "\"; refusing to guess which one is meant");
        return std::nullopt;
    }
    return found.front();
}

int SaveArchive(DMDataFile& file, const std::string& path)
{
    const int code = file.Save(path.c_str());
    if (code != DMResult::Success) {
        ReportError(path, ArchiveSaveMessage(code));
        return kExitFailed;
    }
    return kExitOk;
}
