#pragma once

#include <span>

namespace tomelens::core {

// A row of a vocabulary table: a number stored in spell records (or a filter
// value) and its name.
struct SpellTableRow {
    int number;
    const char* name;
};

// The text of the filter rows that let every value pass.
inline constexpr char kAllRowText[] = "*** All ***";

// Filter values that are not stored in records.
inline constexpr int CLASS_ALL = 14;
inline constexpr int CLASS_NOT_AVAILABLE = 256;
inline constexpr int EFFECT_ALL = 127;

// Class numbers 0-13 with the two class filter rows first (16 rows). The row
// order is the order the class combo is filled in.
extern const std::span<const SpellTableRow> SpellClassTable;
// Effect ids with the "*** All ***" filter row first (76 rows).
extern const std::span<const SpellTableRow> SpellEffectTable;

// The name of the first row, in table order, whose number equals number;
// nullptr when no row has it.
const char* FindSpellTableName(std::span<const SpellTableRow> table, int number);

}  // namespace tomelens::core
