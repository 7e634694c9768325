#include "spells/SpellQuery.h"

#include "ListOrder.h"
#include "spells/SpellTables.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace tomelens::core {

namespace {

// The leading integer of a text as atoi reads it (blanks, optional sign,
// digits; no digits gives 0), but saturated instead of overflowing.
int LeadingInteger(const std::string& text)
{
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool InRange(int level, const LevelRange& range)
{
    return level >= range.from && level <= range.to;
}

bool PassesClassTest(const SpellRecord& record, const SpellFilter& filter)
{
    if (filter.classFilter == CLASS_NOT_AVAILABLE) {
        for (int c = 0; c < kClassCount; ++c)
            if (record.ClassLevel(c) != LEVEL_NOT_AVAILABLE)
                return false;
        return true;
    }
    if (filter.classFilter == CLASS_ALL) {
        for (int c = 0; c < kClassCount; ++c)
            if (InRange(record.ClassLevel(c), filter.levels))
                return true;
        return false;
    }
    // A value that is neither a class nor a filter row selects nothing
    // rather than a byte outside the class levels.
    if (filter.classFilter < 0 || filter.classFilter >= kClassCount)
        return false;
    return InRange(record.ClassLevel(filter.classFilter), filter.levels);
}

bool PassesEffectTest(const SpellRecord& record, int effectFilter)
{
    if (effectFilter == EFFECT_ALL)
        return true;
    for (int slot = 0; slot < kEffectSlots; ++slot)
        if (record.EffectId(slot) == effectFilter)
            return true;
    return false;
}

bool IsSingleClass(int classFilter)
{
    return classFilter != CLASS_ALL && classFilter != CLASS_NOT_AVAILABLE;
}

} // namespace

LevelRange ParseLevelRange(const std::string& fromText, const std::string& toText)
{
    LevelRange range{LeadingInteger(fromText), LeadingInteger(toText)};
    if (range.from == 0)
        range.from = 1;
    if (range.to == 0)
        range.to = 50;
    if (range.from > range.to)
        range.to = range.from;
    return range;
}

std::vector<SpellLine> QuerySpells(std::span<const SpellRecord> records, const SpellFilter& filter)
{
    std::vector<SpellLine> lines;
    for (std::size_t n = 0; n < records.size() && n <= static_cast<std::size_t>(INT_MAX); ++n) {
        const SpellRecord& record = records[n];
        if (!record.HasName() || !PassesClassTest(record, filter))
            continue;
        if (filter.skillFilter != filter.skillCount && record.Skill() != filter.skillFilter)
            continue;
        if (!PassesEffectTest(record, filter.effectFilter))
            continue;

        SpellLine line{record.Name(), static_cast<int>(n)};
        if (IsSingleClass(filter.classFilter)) {
            char level[16];
            std::snprintf(level, sizeof level, "%2d  ", record.ClassLevel(filter.classFilter));
            line.text.insert(0, level);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void SortSpellLines(std::vector<SpellLine>& lines)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const SpellLine& a, const SpellLine& b) { return ListTextLess(a.text, b.text); });
}

std::vector<int> SkillsInUse(std::span<const SpellRecord> records, int skillCount)
{
    std::vector<int> used;
    if (skillCount <= 0)
        return used;
    std::vector<bool> marked(static_cast<std::size_t>(skillCount), false);
    for (const SpellRecord& record : records)
        if (record.HasName() && record.Skill() < skillCount)
            marked[record.Skill()] = true;
    for (int skill = skillCount - 1; skill >= 0; --skill)
        if (marked[static_cast<std::size_t>(skill)])
            used.push_back(skill);
    return used;
}

}  // namespace tomelens::core
