#pragma once

#include "archive/DMDataFile.h"
#include "engine/NamePolicy.h"
#include "engine/Outcome.h"

#include <optional>
#include <string>
#include <vector>

// Changing entries of an open archive in memory; SaveArchive writes the result.
// Each operation checks everything first and changes nothing when it fails.
namespace tomelens::core {

class EntryIndex;

// How names that match several entries are taken.
enum class Matches {
    One,  // a name must name exactly one entry
    All,  // every entry of the name
};

// The live entries named by `names` (bytes), in data order, each once. An
// unknown name, or with Matches::One a name of several entries, fails naming
// it ("no entry "x"", "3 entries are named "x""); `archive` is the subject.
// Every name is looked at; `problems`, when given, receives each such failure.
Outcome FindEntries(DMDataFile& file, const std::string& archive, const std::vector<std::string>& names,
                    Matches matches, std::vector<unsigned>& positions, std::vector<Outcome>* problems = nullptr);

// Deletes the entries at the given positions (deleted or unknown ones are left out).
Outcome DeleteEntries(DMDataFile& file, std::vector<unsigned> positions);

// Renames the entry at position. When another live entry has the new name,
// `existing` decides: Replace deletes that entry, KeepBoth keeps both (the
// window's rename accepts any name so), Skip leaves the name, Refuse fails.
Outcome RenameEntry(DMDataFile& file, unsigned position, const std::string& newName, ExistingName existing,
                    const ExistingNameQuestion& ask = {});

// Replaces the entry's data with the whole file at path; its name and checksum stay.
Outcome ReplaceData(DMDataFile& file, unsigned position, const std::string& path);

// Sets the entry's checksum to `value`, or, without one, to the checksum of
// its data (which it then reads in full).
Outcome SetEntryCheckSum(DMDataFile& file, unsigned position, std::optional<unsigned> value);

}  // namespace tomelens::core
