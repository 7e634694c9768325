#include "ArchiveAccess.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "LibraryMessages.h"
#include "ProgressBar.h"
#include "SafeEntryPath.h"
#include "SafeFileWriter.h"
#include "UniquePaths.h"
#include "archive/DMResultCodes.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <system_error>

using namespace tomelens::core;

namespace fs = std::filesystem;

namespace {

// The entries to write: the named ones (every entry of each name), or all.
// An unknown name is reported; nothing is written then.
bool SelectEntries(DMDataFile& file, const std::string& archivePath,
                   const std::vector<std::string>& names, std::vector<unsigned>& positions)
{
    if (names.empty()) {
        positions = AllEntries(file);
        return true;
    }
    bool allFound = true;
    std::set<unsigned> chosen;
    for (const std::string& name : names) {
        const auto found = FindEntries(file, name);
        if (found.empty()) {
            ReportError(archivePath, "no " + EntryLabel(name));
            allFound = false;
        }
        chosen.insert(found.begin(), found.end());
    }
    positions.assign(chosen.begin(), chosen.end());
    return allFound;
}

}  // namespace

int RunExtract(CommandArgs args)
{
    static const OptionRule options[] = {{"directory", 'C', true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("extract");
    RequirePositionals(parsed, 1, SIZE_MAX, "extract");

    const std::string& archivePath = parsed.positionals[0];
    const fs::path root = parsed.Value("directory").value_or(".");
    if (root.empty())
        throw UsageError("extract: the folder given with -C is empty");

    std::string problem;
    DataFilePtr file = OpenArchive(archivePath, problem);
    if (!file) {
        ReportError(archivePath, problem);
        return kExitFailed;
    }
    const std::vector<std::string> names(parsed.positionals.begin() + 1, parsed.positionals.end());
    std::vector<unsigned> positions;
    if (!SelectEntries(*file, archivePath, names, positions))
        return kExitFailed;

    std::error_code error;
    fs::create_directories(root, error);
    if (!fs::is_directory(root)) {
        ReportError(root.string(), "cannot be used as the target folder"
                                       + (error ? ": " + error.message() : std::string()));
        return kExitFailed;
    }

    bool anyFailed = false;
    UniquePaths usedPaths;
    std::vector<unsigned char> bytes;
    ProgressBar progress = ProgressBar::ForStderr(positions.size());
    for (unsigned position : positions) {
        const DMDataFileEntry& entry = *file->GetEntry(position);
        const std::string name = entry.GetName();
        progress.Step(name);

        const int code = ReadEntryData(entry, bytes);
        if (code != DMResult::Success) {
            ReportError(archivePath, EntryLabel(name) + ": " + EntryDataMessage(code) + "; not extracted");
            anyFailed = true;
            continue;
        }
        std::string safePath = SafeEntryPath(name);
        if (safePath.empty())
            safePath = "unnamed";
        const std::string target = usedPaths.Claim(safePath);
        const std::string writeProblem = WriteFileInside(root, target, bytes);
        if (!writeProblem.empty()) {
            ReportError((root / target).string(), writeProblem);
            anyFailed = true;
        } else if (target != name) {
            ReportError(archivePath, EntryLabel(name) + " written as \"" + DisplayName(target) + "\"");
        }
    }
    return anyFailed ? kExitFailed : kExitOk;
}
