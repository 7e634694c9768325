#include "ArchiveAccess.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "DirectoryExtractor.h"
#include "EntryIndex.h"
#include "EntryNames.h"
#include "Help.h"
#include "LibraryMessages.h"
#include "ParallelFor.h"
#include "ProgressBar.h"
#include "SafeEntryPath.h"
#include "UniquePaths.h"
#include "archive/DMResultCodes.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <unordered_set>

using namespace tomelens::core;

namespace fs = std::filesystem;

namespace {

// A sink's own code for "the target file refused the bytes"; the file keeps
// the system's reason.
constexpr int kTargetWriteFailed = 1000;

int WriteToFile(void* context, const void* bytes, unsigned length)
{
    return static_cast<ExtractedFile*>(context)->Append(bytes, length) ? 0 : kTargetWriteFailed;
}

// The entries to write: the named ones (every entry of each name, in data
// order), or all. An unknown or unencodable name is reported; nothing is
// written then.
bool SelectEntries(DMDataFile& file, const std::string& archivePath, const std::vector<std::string>& arguments,
                   std::vector<unsigned>& positions)
{
    if (arguments.empty()) {
        positions = AllEntries(file);
        return true;
    }
    const EntryIndex index(file);
    bool allFound = true;
    std::unordered_set<std::string> seen;
    for (const std::string& argument : arguments) {
        const auto name = NameFromArgument(argument, "the entry name");
        if (!name) {
            allFound = false;
            continue;
        }
        if (!seen.insert(*name).second)
            continue;
        const auto found = index.Find(*name);
        if (found.empty()) {
            ReportError(archivePath, "no " + EntryLabel(*name));
            allFound = false;
        }
        positions.insert(positions.end(), found.begin(), found.end());
    }
    std::sort(positions.begin(), positions.end());
    return allFound;
}

struct EntryOutcome {
    ExtractResult result;
    int readCode = DMResult::Success;  // the library's code when the entry could not be read
    std::string readProblem;
};

}  // namespace

int RunExtract(CommandArgs args)
{
    static const OptionRule options[] = {{"directory", 'C', true}, {"overwrite", 0, false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("extract");
    RequirePositionals(parsed, 1, SIZE_MAX, "extract");

    const std::string& archivePath = parsed.positionals[0];
    const fs::path root = parsed.Value("directory").value_or(".");
    if (root.empty())
        throw UsageError("extract: the folder given with -C is empty");
    const bool overwrite = parsed.Flag("overwrite");

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

    DirectoryExtractor extractor;
    if (!extractor.Open(root, problem)) {
        ReportError(root.string(), problem);
        return kExitFailed;
    }
    if (const auto archive = FileIdentity::Of(archivePath))
        extractor.Protect(*archive);

    // Paths are handed out in data order before any work starts, so the
    // numbering of clashing names does not depend on the threads.
    std::vector<std::string> targets;
    targets.reserve(positions.size());
    UniquePaths usedPaths;
    for (unsigned position : positions) {
        std::string safePath = SafeEntryPath(NameAsUtf8(file->GetEntry(position)->GetName()));
        targets.push_back(usedPaths.Claim(safePath.empty() ? "unnamed" : safePath));
    }

    std::vector<EntryOutcome> outcomes(positions.size());
    {
        ProgressBar progress = ProgressBar::ForStderr(positions.size());
        std::mutex progressMutex;
        ParallelFor(positions.size(), [&](std::size_t i) {
            const DMDataFileEntry& entry = *file->GetEntry(positions[i]);
            EntryOutcome& outcome = outcomes[i];
            outcome.result = extractor.Write(targets[i], overwrite, [&](ExtractedFile& target) {
                const int code = entry.ReadData(WriteToFile, &target);
                if (code != DMResult::Success && code != kTargetWriteFailed) {
                    outcome.readCode = code;
                    outcome.readProblem = EntryDataMessage(code);
                }
                return code;
            });
            if (progress.Enabled()) {
                const std::lock_guard lock(progressMutex);
                progress.Step(ShownName(entry.GetName()));
            }
        });
    }

    // Reported in data order, whatever order the threads finished in.
    bool anyFailed = false;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const std::string name = file->GetEntry(positions[i])->GetName();
        const std::string shownTarget = root.string() + "/" + targets[i];
        const EntryOutcome& outcome = outcomes[i];
        switch (outcome.result.outcome) {
        case ExtractOutcome::Written:
            if (targets[i] != NameAsUtf8(name))
                ReportError(archivePath, EntryLabel(name) + " written as \"" + DisplayName(targets[i]) + "\"");
            continue;
        case ExtractOutcome::Exists:
            ReportError(shownTarget, "already exists; skipped " + EntryLabel(name) + " (--overwrite replaces it)");
            break;
        case ExtractOutcome::IsProtected:
            ReportError(shownTarget, "is the archive being read; skipped " + EntryLabel(name));
            break;
        case ExtractOutcome::FillFailed:
            ReportError(archivePath, EntryLabel(name) + ": " + outcome.readProblem + "; not extracted");
            break;
        case ExtractOutcome::Failed:
            ReportError(shownTarget, outcome.result.problem);
            break;
        }
        anyFailed = true;
    }
    return anyFailed ? kExitFailed : kExitOk;
}
