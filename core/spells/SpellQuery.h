#pragma once

#include "spells/SpellRecord.h"

#include <span>
#include <string>
#include <vector>

namespace tomelens::core {

// The level range of a query after its rules: each bound is the leading
// integer of its text (as atoi reads it, saturated to int; no digits gives 0);
// From 0 becomes 1, To 0 becomes 50, and To is raised to From when From is
// greater. The program writes both values back into the level edits.
struct LevelRange {
    int from = 1;
    int to = 50;
};
LevelRange ParseLevelRange(const std::string& fromText, const std::string& toText);

// The filter values of a query, as the combos' item data gives them.
struct SpellFilter {
    int classFilter = 14;    // CLASS_ALL, CLASS_NOT_AVAILABLE or a class 0-13
    LevelRange levels;
    int skillFilter = 0;     // skillCount means every skill
    int skillCount = 0;      // DMSkills::GetMaxSkill()
    int effectFilter = 127;  // EFFECT_ALL or an effect id
};

// One line of the spell list: its text and the record number it stands for.
struct SpellLine {
    std::string text;
    int record = 0;
};

// The lines of the records that pass the filter, in file order (the list
// shows them sorted by SortSpellLines). Records with an empty name never
// pass. For a single class the text is the class level as "%2d  " followed by
// the name; otherwise just the name.
std::vector<SpellLine> QuerySpells(std::span<const SpellRecord> records, const SpellFilter& filter);

// Sorts lines into list order (CompareListText), keeping file order among
// equal texts.
void SortSpellLines(std::vector<SpellLine>& lines);

// The skill numbers used by named records, from skillCount - 1 down to 0:
// the order in which the skill combo is filled. Skills not below skillCount
// have no entry.
std::vector<int> SkillsInUse(std::span<const SpellRecord> records, int skillCount);

}  // namespace tomelens::core
