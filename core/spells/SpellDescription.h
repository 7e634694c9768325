#pragma once

#include "spells/SpellRecord.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

namespace tomelens::core {

// The description of a spell shown beside the list and written by the export:
// mana and skill, the messages, cast and recover times, then the Effects,
// Classes and Components sections (each "None" when empty). prefix starts the
// labelled lines: "" for the window, "\t" for exported files. Every line ends
// with '\n' (a file opened in text mode turns it into the platform's line
// end). Numbers are written without regard to the stream's locale.
void DescribeSpell(std::ostream& out, const SpellRecord& record, const std::string& prefix);

// The same for record number recordNumber of records; writes nothing when the
// number is outside the records.
void DescribeSpell(std::ostream& out, std::span<const SpellRecord> records, int recordNumber,
                   const std::string& prefix);

// A duration in milliseconds as the description writes it: "1 min. 1.5 sec.",
// "2.5 sec.", "0 sec.".
std::string FormatSpellDuration(std::uint32_t milliseconds);

}  // namespace tomelens::core
