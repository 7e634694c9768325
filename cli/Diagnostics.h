#pragma once

#include "engine/Outcome.h"

#include <stdexcept>
#include <string>
#include <string_view>

// Exit codes of tomelens-cli.
inline constexpr int kExitOk = 0;      // the work was done
inline constexpr int kExitFailed = 1;  // the work failed (bad file, unknown entry, write error)
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

inline constexpr char kProgramName[] = "tomelens-cli";

// A command line that cannot be run. main prints it with a hint to --help and
// exits with kExitUsage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Prints "tomelens-cli: <subject>: <what>" as one line on stderr. subject is
// usually a file name; entry names inside what should go through DisplayName.
void ReportError(std::string_view subject, std::string_view what);

// A name or path in a form fit for one line of text: control bytes (below
// 0x20 and 0x7F) become \xNN, every other byte is kept as it is.
std::string DisplayName(std::string_view name);

// Prints an engine operation's failure as one line: "tomelens-cli: <message>".
// A plain cancel reads "interrupted"; a command says more with a cause of its own.
void ReportOutcome(const tomelens::core::Outcome& outcome);

// The cancel the user caused, as a command reports it: "interrupted; <what became of the work>".
inline tomelens::core::Outcome Interruption(const std::string& subject, const std::string& result)
{
    return tomelens::core::Outcome::Failure(tomelens::core::Step::Cancelled, subject, "interrupted; " + result);
}

// Flushes stdout; when the output could not be written (a full disk, a closed
// pipe) reports it and returns kExitFailed, otherwise returns result.
int FinishOutput(int result);
