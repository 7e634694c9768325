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

    // Written entry by entry, so a huge archive's listing is never held whole.
    const bool json = parsed.Flag("json");
    const std::vector<unsigned> positions = AllEntries(*file);
    if (json)
        std::cout << (positions.empty() ? "[]\n" : "[\n");
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const DMDataFileEntry& entry = *file->GetEntry(positions[i]);
        const EntryInfo info{entry.GetName(), entry.GetLength(), entry.GetPackedLength(), entry.GetCheckSum()};
        if (json)
            std::cout << "  " << JsonEntryObject(info) << (i + 1 < positions.size() ? ",\n" : "\n]\n");
        else
            std::cout << FormatEntryLine(info) << '\n';
    }
    return FinishOutput(kExitOk);
}
