#include "Diagnostics.h"

#include "ProgressBar.h"

#include <cstdio>
#include <iostream>

void ReportError(std::string_view subject, std::string_view what)
{
    // A progress bar may own the terminal line; the message must not be glued to it.
    ProgressBar::ClearActive();
    std::cout.flush();
    std::cerr << kProgramName << ": " << DisplayName(subject) << ": " << what << '\n';
    std::cerr.flush();
}

std::string DisplayName(std::string_view name)
{
    std::string shown;
    shown.reserve(name.size());
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

void ReportOutcome(const tomelens::core::Outcome& outcome)
{
    std::string what = outcome.cause;
    if (outcome.WasCancelled() && what == tomelens::core::Outcome::Cancelled().cause)
        what = "interrupted";
    // A change by another program reads as one sentence, without a colon.
    const char* joint = outcome.step == tomelens::core::Step::Changed ? " " : ": ";
    const std::string line = outcome.subject.empty() ? what : DisplayName(outcome.subject) + joint + what;
    ProgressBar::ClearActive();
    std::cout.flush();
    std::cerr << kProgramName << ": " << line << '\n';
    std::cerr.flush();
}

int FinishOutput(int result)
{
    std::cout.flush();
    if (!std::cout) {
        ReportError("standard output", "cannot be written");
        return kExitFailed;
    }
    return result;
}
