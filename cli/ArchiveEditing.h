#pragma once

#include "ArchiveAccess.h"
#include "ArchiveLock.h"
#include "EntryIndex.h"

#include <optional>
#include <string>
#include <vector>

// Helpers shared by the commands that change an archive. Every command checks
// all its input first and saves only when everything succeeded, so a bad
// argument leaves the archive file untouched.

// An archive opened for changing: the writers' lock is held from before the
// archive is read until the changed one has replaced it, so a second writer
// waits instead of overwriting this one's update (or this one's its).
struct ArchiveEdit {
    tomelens::core::ArchiveLock lock;
    DataFilePtr file;
};

// Takes the lock on path (waiting a little for another writer) and, when
// load is set, opens the archive. Reports a failure and returns false.
bool BeginEdit(const std::string& path, ArchiveEdit& edit, bool load = true);

// Reports every input file that cannot be read; true when all can.
bool CheckInputFiles(const std::vector<std::string>& paths);

// The entry name a file gets when added: its name without folders, in the
// archive's encoding; nothing (after a report) when a character cannot be held.
std::optional<std::string> EntryNameForFile(const std::string& path);

// The one live entry named name (bytes). Reports an unknown or ambiguous name
// against archivePath and returns nothing.
std::optional<unsigned> FindSingleEntry(const EntryIndex& index, const std::string& archivePath,
                                        const std::string& name);

// Saves the container to path (atomically, by the library). Returns the exit
// code and reports a failure.
int SaveArchive(DMDataFile& file, const std::string& path);
