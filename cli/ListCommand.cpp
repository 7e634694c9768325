#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "EntryListing.h"
#include "Help.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveWatch.h"

#include <iostream>

using namespace tomelens::core;

int RunList(CommandArgs args)
{
    static const OptionRule options[] = {{"json", 0, false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("list");
    RequirePositionals(parsed, 1, 1, "list");

    const std::string& path = parsed.positionals[0];
    DataFilePtr file;
    if (const Outcome opened = OpenArchive(path, LoadMode::Index, file); !opened.Ok()) {
        ReportOutcome(opened);
        return kExitFailed;
    }
    const ArchiveWatch watch(*file, path);

    // Written entry by entry, so a huge archive's listing is never held whole.
    const bool json = parsed.Flag("json");
    const std::vector<unsigned> positions = LiveEntries(*file);
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
    // The listing comes from what was read at the open; a file rewritten
    // meanwhile may no longer hold it.
    if (const Outcome unchanged = watch.Check(); !unchanged.Ok()) {
        ReportOutcome(unchanged);
        return FinishOutput(kExitFailed);
    }
    return FinishOutput(kExitOk);
}
