#include "spells/SpellFilterNames.h"

#include "skills/DMSkills.h"
#include "spells/SpellTables.h"

#include <cstring>
#include <string>

namespace tomelens::core {

namespace {

constexpr std::string_view kAll = "*** All ***";

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::optional<int> FindInTable(std::span<const SpellTableRow> table, std::string_view name)
{
    for (const SpellTableRow& row : table)
        if (name == row.name)
            return row.number;
    for (const SpellTableRow& row : table)
        if (EqualIgnoringCase(name, row.name))
            return row.number;
    return std::nullopt;
}

}  // namespace

std::optional<int> ClassFilterByName(std::string_view name)
{
    return FindInTable(SpellClassTable, name);
}

std::optional<int> EffectFilterByName(std::string_view name)
{
    return FindInTable(SpellEffectTable, name);
}

std::optional<int> SkillFilterByName(std::string_view name, DMSkills& skills)
{
    const int count = skills.GetMaxSkill();
    if (EqualIgnoringCase(name, kAll))
        return count;
    // The table's own lookup finds the record; its number is its place in the table.
    const std::string text(name);
    const DMSkill* found = &skills.GetSkill(text.c_str());
    for (int index = count - 1; index >= 0; --index)
        if (&skills.GetSkill(index) == found)
            return index;
    for (int index = count - 1; index >= 0; --index)
    {
        const DMSkill& skill = skills.GetSkill(index);
        if (EqualIgnoringCase(name, std::string_view(skill.name, strnlen(skill.name, sizeof skill.name))))
            return index;
    }
    return std::nullopt;
}

}  // namespace tomelens::core
