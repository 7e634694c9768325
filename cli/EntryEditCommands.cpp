#include "ArchiveEditing.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "LibraryMessages.h"
#include "archive/DMResultCodes.h"

#include <cstdint>
#include <set>

namespace {

DataFilePtr OpenOrReport(const std::string& archivePath)
{
    std::string problem;
    DataFilePtr file = OpenArchive(archivePath, problem);
    if (!file)
        ReportError(archivePath, problem);
    return file;
}

}  // namespace

int RunDelete(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("delete");
    RequirePositionals(parsed, 2, SIZE_MAX, "delete");

    const std::string& archivePath = parsed.positionals[0];
    DataFilePtr file = OpenOrReport(archivePath);
    if (!file)
        return kExitFailed;

    // Every entry of each name goes; all names are looked up before any is deleted.
    std::set<unsigned> doomed;
    bool allFound = true;
    for (auto name = parsed.positionals.begin() + 1; name != parsed.positionals.end(); ++name) {
        const auto found = FindEntries(*file, *name);
        if (found.empty()) {
            ReportError(archivePath, "no " + EntryLabel(*name));
            allFound = false;
        }
        doomed.insert(found.begin(), found.end());
    }
    if (!allFound)
        return kExitFailed;
    for (unsigned position : doomed)
        file->DelEntry(position);
    return SaveArchive(*file, archivePath);
}

// Opens the archive, finds the one entry named name and saves the archive
// when change, given that entry, succeeds; change reports its own failures.
template <typename Change>
int ChangeOneEntry(const std::string& archivePath, const std::string& name, Change change)
{
    DataFilePtr file = OpenOrReport(archivePath);
    if (!file)
        return kExitFailed;
    const auto position = FindSingleEntry(*file, archivePath, name);
    if (!position || !change(*file->GetEntry(*position)))
        return kExitFailed;
    return SaveArchive(*file, archivePath);
}

int RunRename(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("rename");
    RequirePositionals(parsed, 3, 3, "rename");
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFileEntry& entry) {
        entry.SetName(parsed.positionals[2].c_str());
        return true;
    });
}

int RunReplace(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("replace");
    RequirePositionals(parsed, 3, 3, "replace");
    const std::string& dataPath = parsed.positionals[2];
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFileEntry& entry) {
        if (!CheckInputFiles({dataPath}))
            return false;
        const int code = entry.LoadData(dataPath.c_str());
        if (code != DMResult::Success)
            ReportError(dataPath, EntryLoadMessage(code));
        return code == DMResult::Success;
    });
}

int RunSetCrc(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("set-crc");
    RequirePositionals(parsed, 3, 3, "set-crc");
    const auto value = ParseUnsigned32(parsed.positionals[2]);
    if (!value)
        throw UsageError("set-crc: '" + parsed.positionals[2]
                         + "' is not a 32-bit value (give it in decimal or as 0x followed by hex digits)");
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFileEntry& entry) {
        entry.SetCheckSum(*value);
        return true;
    });
}
