#include "ArchiveAccess.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "EntryNames.h"
#include "Help.h"
#include "LibraryMessages.h"
#include "ParallelFor.h"
#include "ProgressBar.h"
#include "archive/DMResultCodes.h"

#include <cstdint>
#include <iostream>
#include <mutex>

namespace {

// The bytes are only inflated to prove they can be; the library checks the
// lengths, and nothing is kept.
int Discard(void*, const void*, unsigned)
{
    return 0;
}

// Checks one archive: it must load and every entry must inflate to its
// length. Prints "PATH: OK (n entries)" on stdout, or one error line naming
// each failing entry and why. Returns whether the archive passed.
bool VerifyArchive(const std::string& path)
{
    std::string problem;
    DataFilePtr file = OpenArchive(path, problem);
    if (!file) {
        ReportError(path, problem);
        return false;
    }

    const std::vector<unsigned> positions = AllEntries(*file);
    std::vector<std::string> problems(positions.size());
    {
        ProgressBar progress = ProgressBar::ForStderr(positions.size());
        std::mutex progressMutex;
        tomelens::core::ParallelFor(positions.size(), [&](std::size_t i) {
            const DMDataFileEntry& entry = *file->GetEntry(positions[i]);
            const int code = entry.ReadData(Discard, nullptr);
            if (code != DMResult::Success)
                problems[i] = EntryDataMessage(code);
            if (progress.Enabled()) {
                const std::lock_guard lock(progressMutex);
                progress.Step(ShownName(entry.GetName()));
            }
        });
    }
    std::string failures;
    std::size_t failureCount = 0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (problems[i].empty())
            continue;
        failures += (failureCount == 0 ? "" : "; ") + EntryLabel(file->GetEntry(positions[i])->GetName()) + ": "
                  + problems[i];
        ++failureCount;
    }
    if (failureCount != 0) {
        ReportError(path, std::to_string(failureCount) + " of " + std::to_string(positions.size())
                              + " entries fail: " + failures);
        return false;
    }
    std::cout << DisplayName(path) << ": OK (" << positions.size()
              << (positions.size() == 1 ? " entry)" : " entries)") << '\n';
    return true;
}

}  // namespace

int RunOnEachFile(CommandArgs args, const char* command, const std::function<bool(const std::string&)>& check)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp(command);
    RequirePositionals(parsed, 1, SIZE_MAX, command);

    bool allPassed = true;
    for (const std::string& path : parsed.positionals)
        allPassed = check(path) && allPassed;
    return FinishOutput(allPassed ? kExitOk : kExitFailed);
}

int RunVerify(CommandArgs args)
{
    return RunOnEachFile(args, "verify", VerifyArchive);
}
