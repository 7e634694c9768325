#include "ArchiveEditing.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "Interrupt.h"
#include "ProgressBar.h"
#include "engine/EditEntries.h"
#include "engine/EntryNames.h"
#include "engine/ExtractEntries.h"

#include <cstdint>

using namespace tomelens::core;

namespace {

ExistingFile RuleFromFlags(const ParsedArgs& parsed)
{
    const bool overwrite = parsed.Flag("overwrite");
    const bool skip = parsed.Flag("skip-existing");
    const bool keepBoth = parsed.Flag("keep-both");
    if (overwrite + skip + keepBoth > 1)
        throw UsageError("extract: give only one of --overwrite, --skip-existing and --keep-both");
    return overwrite ? ExistingFile::Overwrite
           : skip    ? ExistingFile::Skip
           : keepBoth ? ExistingFile::KeepBoth
                      : ExistingFile::Refuse;
}

// One line on stderr for each entry with something to say; false when any failed.
bool ReportNotes(DMDataFile& file, const std::string& archivePath, const std::string& root,
                 const std::vector<ExtractNote>& notes)
{
    bool anyFailed = false;
    for (const ExtractNote& note : notes) {
        const std::string label = EntryLabel(file.GetEntry(note.position)->GetName());
        const std::string shownTarget = root + "/" + note.path;
        anyFailed = anyFailed || note.IsFailure();
        switch (note.kind) {
        case ExtractNote::Kind::Renamed:
            ReportError(archivePath, label + " written as \"" + DisplayName(note.path) + "\"");
            break;
        case ExtractNote::Kind::Skipped:
            break;
        case ExtractNote::Kind::Exists:
            ReportError(shownTarget, "already exists; skipped " + label
                                         + " (--overwrite replaces it, --keep-both writes it beside)");
            break;
        case ExtractNote::Kind::Protected:
            ReportError(shownTarget, "is the archive being read; skipped " + label);
            break;
        case ExtractNote::Kind::ReadFailed:
            ReportError(archivePath, label + ": " + note.cause + "; not extracted");
            break;
        case ExtractNote::Kind::WriteFailed:
            ReportError(shownTarget, note.cause);
            break;
        }
    }
    return !anyFailed;
}

}  // namespace

int RunExtract(CommandArgs args)
{
    static const OptionRule options[] = {{"directory", 'C', true},
                                         {"overwrite", 0, false},
                                         {"skip-existing", 0, false},
                                         {"keep-both", 0, false},
                                         {"files-from", 'T', true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("extract");
    RequirePositionals(parsed, 1, SIZE_MAX, "extract");

    const std::string& archivePath = parsed.positionals[0];
    ExtractOptions extract;
    extract.folder = parsed.Value("directory").value_or(".");
    if (extract.folder.empty())
        throw UsageError("extract: the folder given with -C is empty");
    extract.existing = RuleFromFlags(parsed);
    extract.archivePath = archivePath;

    std::vector<std::string> arguments(parsed.positionals.begin() + 1, parsed.positionals.end());
    const auto list = parsed.Value("files-from");
    if (list && !ReadListFile(*list, arguments))
        return kExitFailed;
    std::vector<std::string> names;
    if (!NamesFromArguments(arguments, names))
        return kExitFailed;

    DataFilePtr file;
    if (const Outcome opened = OpenArchive(archivePath, LoadMode::Index, file); !opened.Ok()) {
        ReportOutcome(opened);
        return kExitFailed;
    }
    const ArchiveWatch watch(*file, archivePath);
    std::vector<unsigned> positions;
    if (arguments.empty() && !list) {
        positions = LiveEntries(*file);
    } else {
        std::vector<Outcome> missing;
        if (!FindEntries(*file, archivePath, names, Matches::All, positions, &missing).Ok()) {
            ReportAll(missing);
            return kExitFailed;
        }
    }

    ExtractReport report;
    {
        ProgressBar bar = ProgressBar::ForStderr(positions.size());
        extract.progress = CommandProgress(bar);
        report = ExtractEntries(*file, positions, extract, &watch);
    }
    const bool notesOk = ReportNotes(*file, archivePath, extract.folder.string(), report.notes);
    const Outcome& outcome = report.outcome;
    if (outcome.WasCancelled()) {
        ReportOutcome(Interruption(archivePath, std::to_string(outcome.done) + " of " + std::to_string(positions.size())
                                                    + " files were written in full; none is left half-written"));
        return kExitFailed;
    }
    if (outcome.step == Step::Changed || outcome.step == Step::Memory || (!outcome.Ok() && notesOk)) {
        ReportOutcome(outcome);
        return kExitFailed;
    }
    return notesOk ? kExitOk : kExitFailed;
}
