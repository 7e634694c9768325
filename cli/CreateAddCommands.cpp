#include "ArchiveEditing.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "Interrupt.h"
#include "ProgressBar.h"
#include "engine/AddFiles.h"
#include "engine/CreateArchive.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

using namespace tomelens::core;

namespace fs = std::filesystem;

int RunCreate(CommandArgs args)
{
    static const OptionRule options[] = {{"force", 'f', false}, {"files-from", 'T', true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("create");
    RequirePositionals(parsed, 1, SIZE_MAX, "create");

    const std::string& archivePath = parsed.positionals[0];
    std::vector<std::string> inputs(parsed.positionals.begin() + 1, parsed.positionals.end());
    if (const auto list = parsed.Value("files-from"); list && !ReadListFile(*list, inputs))
        return kExitFailed;
    std::error_code error;
    if (!parsed.Flag("force") && fs::exists(fs::symlink_status(archivePath, error))) {
        ReportError(archivePath, "already exists; use --force to replace it, or 'add' to add to it");
        return kExitFailed;
    }
    // The archive being replaced may lie inside a folder given: it is not packed into itself.
    std::vector<AddSource> sources;
    if (const Outcome collected = CollectFiles(inputs, FileIdentity::Of(archivePath), sources); !collected.Ok()) {
        ReportOutcome(collected);
        return kExitFailed;
    }

    // Replacing an existing archive is a write like any other: no second
    // writer may slip in between.
    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit, false))
        return kExitFailed;
    ProgressBar bar = ProgressBar::ForStderr(sources.size());
    const Outcome created = CreateArchive(archivePath, sources, CommandProgress(bar));
    if (created.Ok())
        return kExitOk;
    ReportOutcome(created.WasCancelled()
                      ? Interruption(archivePath, "nothing was written")
                      : created);
    return kExitFailed;
}

int RunAdd(CommandArgs args)
{
    static const OptionRule options[] = {{"as", 0, true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("add");
    RequirePositionals(parsed, 2, SIZE_MAX, "add");
    const std::optional<std::string> givenName = parsed.Value("as");
    if (givenName && parsed.positionals.size() != 2)
        throw UsageError("add: --as names one entry, so it takes exactly one FILE");

    const std::string& archivePath = parsed.positionals[0];
    const std::vector<std::string> inputs(parsed.positionals.begin() + 1, parsed.positionals.end());
    std::vector<AddSource> sources;
    if (givenName) {
        const auto name = NameFromArgument(*givenName, "the name given with --as");
        if (!name)
            return kExitFailed;
        sources.push_back({inputs.front(), *name});
    } else if (const Outcome collected = CollectFiles(inputs, FileIdentity::Of(archivePath), sources);
               !collected.Ok()) {
        ReportOutcome(collected);
        return kExitFailed;
    }

    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit))
        return kExitFailed;
    // The archive is rewritten in one pass, its entries copied and the files
    // packed as they are read, so memory does not grow with the files.
    AddReport added;
    {
        ProgressBar bar = ProgressBar::ForStderr(sources.size());
        AddOptions addOptions;
        addOptions.existing = ExistingName::KeepBoth;
        addOptions.progress = CommandProgress(bar);
        added = AddFilesAndWrite(*edit.file, archivePath, sources, addOptions, &edit.watch);
    }
    if (!added.problems.empty()) {
        ReportAll(added.problems);
        return kExitFailed;
    }
    if (!added.outcome.Ok()) {
        ReportOutcome(added.outcome.WasCancelled() ? Interruption(archivePath, "nothing was changed") : added.outcome);
        return kExitFailed;
    }
    return kExitOk;
}
