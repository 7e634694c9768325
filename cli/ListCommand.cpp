#include "ArchiveAccess.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "EntryListing.h"
#include "Help.h"

#include <iostream>

int RunList(CommandArgs args)
{
    static const OptionRule options[] = {{"json", 0, false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("list");
    RequirePositionals(parsed, 1, 1, "list");

    const std::string& path = parsed.positionals[0];
    std::string problem;
    DataFilePtr file = OpenArchive(path, problem);
    if (!file) {
        ReportError(path, problem);
        return kExitFailed;
    }

    std::vector<EntryInfo> entries;
    entries.reserve(file->GetNumEntries());
    for (unsigned position : AllEntries(*file)) {
        const DMDataFileEntry& entry = *file->GetEntry(position);
        entries.push_back({entry.GetName(), entry.GetLength(), entry.GetPackedLength(), entry.GetCheckSum()});
    }

    if (parsed.Flag("json")) {
        std::cout << FormatEntriesJson(entries) << '\n';
    } else {
        for (const EntryInfo& entry : entries)
            std::cout << FormatEntryLine(entry) << '\n';
    }
    return FinishOutput(kExitOk);
}
