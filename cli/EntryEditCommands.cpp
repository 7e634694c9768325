#include "ArchiveEditing.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "engine/EditEntries.h"
#include "engine/EntryNames.h"

#include <cstdint>

using namespace tomelens::core;

int RunDelete(CommandArgs args)
{
    static const OptionRule options[] = {{"all", 0, false}, {"files-from", 'T', true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("delete");
    const auto list = parsed.Value("files-from");
    RequirePositionals(parsed, list ? 1 : 2, SIZE_MAX, "delete");

    const std::string& archivePath = parsed.positionals[0];
    std::vector<std::string> arguments(parsed.positionals.begin() + 1, parsed.positionals.end());
    if (list && !ReadListFile(*list, arguments))
        return kExitFailed;
    std::vector<std::string> names;
    if (!NamesFromArguments(arguments, names))
        return kExitFailed;

    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit))
        return kExitFailed;
    // All names are looked up before any entry is deleted.
    std::vector<unsigned> doomed;
    std::vector<Outcome> problems;
    const bool all = parsed.Flag("all");
    if (!FindEntries(*edit.file, archivePath, names, all ? Matches::All : Matches::One, doomed, &problems).Ok()) {
        for (Outcome& problem : problems) {
            if (problem.cause.find(" entries are named ") != std::string::npos)
                problem.cause += "; give --all to delete every one";
        }
        ReportAll(problems);
        return kExitFailed;
    }
    DeleteEntries(*edit.file, doomed);
    return SaveEdited(edit, archivePath);
}

namespace {

// Opens the archive for changing, finds the one entry named name and saves
// the archive when change, given its position, succeeds.
template <typename Change>
int ChangeOneEntry(const std::string& archivePath, const std::string& name, Change change)
{
    const auto bytes = NameFromArgument(name, "the entry name");
    if (!bytes)
        return kExitFailed;
    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit))
        return kExitFailed;
    std::vector<unsigned> found;
    if (const Outcome one = FindEntries(*edit.file, archivePath, {*bytes}, Matches::One, found); !one.Ok()) {
        ReportError(archivePath, one.cause.starts_with("no ") ? one.cause
                                                             : one.cause + "; refusing to guess which one is meant");
        return kExitFailed;
    }
    if (const Outcome changed = change(*edit.file, found.front()); !changed.Ok()) {
        ReportOutcome(changed);
        return kExitFailed;
    }
    return SaveEdited(edit, archivePath);
}

}  // namespace

int RunRename(CommandArgs args)
{
    static const OptionRule options[] = {{"force", 'f', false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("rename");
    RequirePositionals(parsed, 3, 3, "rename");
    const auto newName = NameFromArgument(parsed.positionals[2], "the new name");
    if (!newName)
        return kExitFailed;
    const ExistingName existing = parsed.Flag("force") ? ExistingName::KeepBoth : ExistingName::Refuse;
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFile& file, unsigned position) {
        Outcome renamed = RenameEntry(file, position, *newName, existing);
        if (renamed.step == Step::Name)
            renamed.cause += " (--force renames it all the same)";
        return renamed;
    });
}

int RunReplace(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("replace");
    RequirePositionals(parsed, 3, 3, "replace");
    const std::string& dataPath = parsed.positionals[2];
    if (const std::string problem = InputFileProblem(dataPath); !problem.empty()) {
        ReportError(dataPath, problem);
        return kExitFailed;
    }
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFile& file, unsigned position) {
        return ReplaceData(file, position, dataPath);
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
    return ChangeOneEntry(parsed.positionals[0], parsed.positionals[1], [&](DMDataFile& file, unsigned position) {
        return SetEntryCheckSum(file, position, *value);
    });
}
