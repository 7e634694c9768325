#include "spells/SpellFilterNames.h"

#include "ListOrder.h"
#include "skills/DMSkills.h"
#include "spells/SpellTables.h"

#include <cstring>
#include <string>

namespace tomelens::core {

namespace {

std::optional<int> FindInTable(std::span<const SpellTableRow> table, std::string_view name)
{
    for (const SpellTableRow& row : table)
        if (name == row.name)
            return row.number;
    for (const SpellTableRow& row : table)
        if (EqualIgnoringAsciiCase(name, row.name))
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
    if (EqualIgnoringAsciiCase(name, std::string_view(kAllRowText)))
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
        if (EqualIgnoringAsciiCase(name, std::string_view(skill.name, strnlen(skill.name, sizeof skill.name))))
            return index;
    }
    return std::nullopt;
}

}  // namespace tomelens::core
