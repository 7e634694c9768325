#pragma once

#include "ArchiveLock.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveWatch.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The command-line side of the engine's operations: arguments turned into
// names and lists, archives opened for changing, results reported. Every
// command checks all its input first and saves only when everything
// succeeded, so a bad argument leaves the archive file untouched.

// An archive opened for changing: the writers' lock is held from before the
// archive is read until the changed one has replaced it, so a second writer
// waits instead of overwriting this one's update (or this one its).
struct ArchiveEdit {
    tomelens::core::ArchiveLock lock;
    tomelens::core::DataFilePtr file;
    tomelens::core::ArchiveWatch watch;
};

// Takes the lock on path (waiting a little for another writer) and, when
// load is set, opens the archive. Reports a failure and returns false.
bool BeginEdit(const std::string& path, ArchiveEdit& edit, bool load = true);

// Saves the edited archive over its file with a progress bar. Returns the
// exit code and reports a failure.
int SaveEdited(ArchiveEdit& edit, const std::string& path);

// The name bytes for a name typed on the command line. A character the
// archive cannot hold is reported against `what` (the argument's role) and
// gives nothing.
std::optional<std::string> NameFromArgument(const std::string& text, std::string_view what);
// The same for several names; false after the first that fails.
bool NamesFromArguments(const std::vector<std::string>& texts, std::vector<std::string>& names);

// Appends the lines of listPath ("-": standard input), one path or name a
// line, empty lines skipped. Reports a failure and returns false.
bool ReadListFile(const std::string& listPath, std::vector<std::string>& lines);

// Reports every failure in the list, in order; true when there was none.
bool ReportAll(const std::vector<tomelens::core::Outcome>& outcomes);
