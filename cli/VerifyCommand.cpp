#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "Interrupt.h"
#include "ProgressBar.h"
#include "engine/VerifyArchive.h"

#include <cstdint>
#include <iostream>

using namespace tomelens::core;

namespace {

// Prints "PATH: OK (n entries)" on stdout, or one error line naming each
// failing entry and why; a checksum that differs is a warning line only.
bool VerifyOne(const std::string& path, bool checkSums)
{
    VerifyReport report;
    {
        ProgressBar bar = ProgressBar::ForStderr(0);
        report = VerifyArchive(path, checkSums, CommandProgress(bar));
    }
    for (const Outcome& warning : report.warnings)
        ReportError(path, "warning: " + warning.Message());
    if (!report.failures.empty()) {
        std::string failures;
        for (const Outcome& failure : report.failures)
            failures += (failures.empty() ? "" : "; ") + failure.Message();
        ReportError(path, report.outcome.cause + ": " + failures);
        return false;
    }
    if (!report.outcome.Ok()) {
        ReportOutcome(report.outcome);
        return false;
    }
    std::cout << DisplayName(path) << ": OK (" << report.entries << (report.entries == 1 ? " entry)" : " entries)")
              << '\n';
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
    static const OptionRule options[] = {{"checksums", 0, false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("verify");
    RequirePositionals(parsed, 1, SIZE_MAX, "verify");
    const bool checkSums = parsed.Flag("checksums");
    bool allPassed = true;
    for (const std::string& path : parsed.positionals) {
        if (Interrupted())
            break;
        allPassed = VerifyOne(path, checkSums) && allPassed;
    }
    return FinishOutput(allPassed && !Interrupted() ? kExitOk : kExitFailed);
}
