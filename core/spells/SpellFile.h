#pragma once

#include "spells/SpellRecord.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tomelens::core {

inline constexpr char kSpellFileName[] = "spdat.eff";

// The three ways reading spdat.eff can fail, and success.
enum class SpellFileStatus {
    Ok,             // records read (an empty file gives none)
    CannotOpen,     // missing, unreadable or not a regular file
    InvalidLength,  // length is not a whole multiple of 560
    ShortRead,      // fewer bytes read than the length promised
};

// Outcome of ReadSpellFile. On failure, message is the text for the message
// box and tip the text for the tip line (empty for ShortRead); both are empty
// on success.
struct SpellFileResult {
    SpellFileStatus status = SpellFileStatus::Ok;
    std::string message;
    std::string tip;

    bool ok() const { return status == SpellFileStatus::Ok; }
};

// The spell file inside a game directory: directory + platform separator +
// "spdat.eff". The directory comes without a trailing separator.
std::string SpellFilePathIn(const std::string& directory);

// Reads the whole spell file at path (a full path, see SpellFilePathIn) with
// one read into one block. On success records holds every record in file
// order; on failure records is left as it was.
SpellFileResult ReadSpellFile(const std::string& path, std::vector<SpellRecord>& records);

// The second half of ReadSpellFile: checks length (the size of the open file)
// and reads its records from the start of file in one read. Exposed so the
// short-read failure can be reached without a file that shrinks on purpose.
SpellFileResult ReadSpellRecords(std::FILE* file, unsigned long long length, std::vector<SpellRecord>& records);

// Writes records back to back as a spell file (for tests and the sample game
// directory). Returns false if the file cannot be written completely; the
// old file then stays as it was.
bool WriteSpellFile(const std::string& path, const std::vector<SpellRecord>& records);

}  // namespace tomelens::core
