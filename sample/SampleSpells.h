#pragma once

#include "spells/SpellRecord.h"

#include <vector>

// About 200 invented spells for the sample game directory: every class, the
// casting skills, most effects, some spells no class can use and a few
// blank slots. Always the same records.
std::vector<tomelens::core::SpellRecord> MakeSampleSpells();
