#pragma once

#include "spells/SpellRecord.h"

#include <ostream>
#include <span>
#include <string>

namespace tomelens::core {

// Text of "Save": "Spell: " and the name, then the description with the
// prefix "\t". Writes nothing when recordNumber is outside the records.
void WriteSpellExport(std::ostream& out, std::span<const SpellRecord> records, int recordNumber);

// Text of "Save All": each listed spell as WriteSpellExport writes it, in the
// given order (the list's order), each followed by one more line end.
void WriteAllSpellsExport(std::ostream& out, std::span<const SpellRecord> records,
                          std::span<const int> recordNumbers);

enum class SpellExportStatus {
    Ok,
    CannotCreate,   // the temporary file next to the target cannot be made
    CannotWrite,    // writing or flushing failed (disk full, ...)
    CannotReplace,  // the finished file cannot be moved over the target
};

// Writes an export file through the safe file writer: on failure the old file is
// untouched and nothing half-written is left. Line ends are the platform's. allSpells selects the "Save All" text (recordNumbers in list
// order); otherwise recordNumbers holds the one spell to write.
SpellExportStatus SaveSpellExportFile(const std::string& path, std::span<const SpellRecord> records,
                                      std::span<const int> recordNumbers, bool allSpells);

}  // namespace tomelens::core
