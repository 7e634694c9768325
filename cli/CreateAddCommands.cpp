#include "ArchiveEditing.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "ProgressBar.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace {

// Adds every file under its own name (or the one name given); false when one
// fails, after reporting it.
bool AddFiles(DMDataFile& file, const std::vector<std::string>& paths,
              const std::optional<std::string>& name, ProgressBar& progress)
{
    for (const std::string& path : paths) {
        progress.Step(path);
        if (!AddFileEntry(file, path, name.value_or(EntryNameForFile(path))))
            return false;
    }
    return true;
}

// Adds the files and saves: reading the files is quick, packing them is done
// by the save, so the bar has one more step for it.
int AddFilesAndSave(DMDataFile& file, const std::string& archivePath, const std::vector<std::string>& inputs,
                    const std::optional<std::string>& name)
{
    ProgressBar progress = ProgressBar::ForStderr(inputs.size() + 1);
    if (!AddFiles(file, inputs, name, progress))
        return kExitFailed;
    progress.Step("packing " + archivePath);
    return SaveArchive(file, archivePath);
}

}  // namespace

int RunCreate(CommandArgs args)
{
    static const OptionRule options[] = {{"force", 'f', false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("create");
    RequirePositionals(parsed, 1, SIZE_MAX, "create");

    const std::string& archivePath = parsed.positionals[0];
    const std::vector<std::string> inputs(parsed.positionals.begin() + 1, parsed.positionals.end());
    std::error_code error;
    if (!parsed.Flag("force") && std::filesystem::exists(std::filesystem::symlink_status(archivePath, error))) {
        ReportError(archivePath, "already exists; use --force to replace it, or 'add' to add to it");
        return kExitFailed;
    }
    if (!CheckInputFiles(inputs))
        return kExitFailed;

    DataFilePtr file = NewDataFile();
    // The first element of a new container becomes its name list.
    file->AddEntry();
    return AddFilesAndSave(*file, archivePath, inputs, std::nullopt);
}

int RunAdd(CommandArgs args)
{
    static const OptionRule options[] = {{"as", 0, true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("add");
    RequirePositionals(parsed, 2, SIZE_MAX, "add");
    const std::optional<std::string> name = parsed.Value("as");
    if (name && parsed.positionals.size() != 2)
        throw UsageError("add: --as names one entry, so it takes exactly one FILE");

    const std::string& archivePath = parsed.positionals[0];
    const std::vector<std::string> inputs(parsed.positionals.begin() + 1, parsed.positionals.end());
    std::string problem;
    DataFilePtr file = OpenArchive(archivePath, problem);
    if (!file) {
        ReportError(archivePath, problem);
        return kExitFailed;
    }
    if (!CheckInputFiles(inputs))
        return kExitFailed;
    return AddFilesAndSave(*file, archivePath, inputs, name);
}
