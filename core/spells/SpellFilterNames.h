#pragma once

#include <optional>
#include <string_view>

class DMSkills;

namespace tomelens::core {

// The filter values behind the names a user types, as the Spells tab's
// combos carry them. Each lookup takes an exact match first and otherwise the
// first name equal when ASCII case is ignored; "*** All ***" is accepted too.

// A class of the class table (or "*** All ***" / "*** Not available ***").
std::optional<int> ClassFilterByName(std::string_view name);
// An effect of the effect table (or "*** All ***").
std::optional<int> EffectFilterByName(std::string_view name);
// A skill number of the skill table; "*** All ***" gives the skill count,
// which means every skill.
std::optional<int> SkillFilterByName(std::string_view name, DMSkills& skills);

}  // namespace tomelens::core
