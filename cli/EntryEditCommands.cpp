#include "ArchiveEditing.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "EntryNames.h"
#include "Help.h"
#include "LibraryMessages.h"
#include "archive/DMResultCodes.h"

#include <cstdint>
#include <unordered_set>

int RunDelete(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("delete");
    RequirePositionals(parsed, 2, SIZE_MAX, "delete");

    const std::string& archivePath = parsed.positionals[0];
    std::vector<std::string> names;
    for (auto name = parsed.positionals.begin() + 1; name != parsed.positionals.end(); ++name) {
        const auto bytes = NameFromArgument(*name, "the entry name");
        if (!bytes)
            return kExitFailed;
        names.push_back(*bytes);
    }

    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit))
        return kExitFailed;
    // Every entry of each name goes; all names are looked up before any is deleted.
    const EntryIndex index(*edit.file);
    std::vector<unsigned> doomed;
    std::unordered_set<std::string> seen;
    bool allFound = true;
    for (const std::string& name : names) {
        if (!seen.insert(name).second)
            continue;
        const auto found = index.Find(name);
        if (found.empty()) {
            ReportError(archivePath, "no " + EntryLabel(name));
            allFound = false;
        }
        doomed.insert(doomed.end(), found.begin(), found.end());
    }
    if (!allFound)
        return kExitFailed;
    edit.file->DelEntries(doomed.data(), static_cast<unsigned>(doomed.size()));
    return SaveArchive(*edit.file, archivePath);
}

// Opens the archive for changing, finds the one entry named name and saves
// the archive when change, given that entry, succeeds; change reports its own
// failures.
template <typename Change>
int ChangeOneEntry(const std::string& archivePath, const std::string& name, Change change)
{
    const auto bytes = NameFromArgument(name, "the entry name");
    if (!bytes)
        return kExitFailed;
    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit))
        return kExitFailed;
    const auto position = FindSingleEntry(EntryIndex(*edit.file), archivePath, *bytes);
    if (!position || !change(*edit.file->GetEntry(*position)))
        return kExitFailed;
    return SaveArchive(*edit.file, archivePath);
}

int RunRename(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("rename");
    RequirePositionals(parsed, 3, 3, "rename");
    const auto newName = NameFromArgument(parsed.positionals[2], "the new name");
    if (!newName)
        return kExitFailed;
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFileEntry& entry) {
        entry.SetName(newName->c_str());
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
    if (!CheckInputFiles({dataPath}))
        return kExitFailed;
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFileEntry& entry) {
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
