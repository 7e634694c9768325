#include "spells/SpellDescription.h"

#include "skills/DMSkills.h"
#include "spells/SpellTables.h"

#include <charconv>
#include <string_view>

namespace tomelens::core {

namespace {

// A section of the description: its opening text stands alone on a line when
// items follow, or is followed by "None" when none do.
class Section {
public:
    Section(std::ostream& out, const std::string& prefix, std::string_view opening)
        : m_out(out)
    {
        m_out << prefix << opening;
    }

    // Starts an item line: the first one moves off the opening line.
    std::ostream& Item()
    {
        if (m_empty) {
            m_out << '\n';
            m_empty = false;
        }
        return m_out;
    }

    void Close()
    {
        if (m_empty)
            m_out << "None\n";
    }

private:
    std::ostream& m_out;
    bool m_empty = true;
};

void WriteMessages(std::ostream& out, const SpellRecord& record, const std::string& prefix)
{
    const std::pair<const char*, std::string> messages[] = {
        {"\tYou start casting:\t", record.CastingMessage()},
        {"\tSomebody start casting:\t", record.OthersCastingMessage()},
        {"\tSpell cast on you:\t", record.CastOnYouMessage()},
        {"\tSpell cast on somebody:\t", record.CastOnOtherMessage()},
        {"\tSpell fades:\t\t", record.FadesMessage()},
    };
    out << prefix << "Messages:\n";
    for (const auto& [label, text] : messages)
        if (!text.empty())
            out << prefix << label << text << '\n';
}

void WriteEffects(std::ostream& out, const SpellRecord& record, const std::string& prefix)
{
    Section section(out, prefix, "Effects: ");
    for (int slot = 0; slot < kEffectSlots; ++slot) {
        const std::uint8_t id = record.EffectId(slot);
        const int base = record.EffectBase(slot);
        const std::uint16_t max = record.EffectMax(slot);
        if (id == EFFECT_NONE && base == 0 && max == 0)
            continue;
        std::ostream& line = section.Item();
        line << prefix << '\t';
        if (const char* name = FindSpellTableName(SpellEffectTable, id))
            line << name << ": ";
        else
            line << "Unknown: ";
        if (base < 0)
            line << "(negative) " << std::to_string(-base);
        else
            line << std::to_string(base);
        if (max != 0)
            line << " to " << std::to_string(static_cast<std::int16_t>(max));
        line << '\n';
    }
    section.Close();
}

void WriteClasses(std::ostream& out, const SpellRecord& record, const std::string& prefix)
{
    Section section(out, prefix, "Classes: ");
    for (int c = 0; c < kClassCount; ++c) {
        const int level = record.ClassLevel(c);
        if (level == LEVEL_NOT_AVAILABLE)
            continue;
        section.Item() << '\t' << FindSpellTableName(SpellClassTable, c) << ": " << std::to_string(level) << '\n';
    }
    section.Close();
}

void WriteComponents(std::ostream& out, const SpellRecord& record, const std::string& prefix)
{
    Section section(out, prefix, "Components: ");
    for (int slot = 0; slot < kComponentSlots; ++slot) {
        const std::uint16_t item = record.Component(slot);
        if (item == COMPONENT_NONE)
            continue;
        std::ostream& line = section.Item();
        line << '\t';
        if (item == ITEM_TINY_DAGGER)
            line << "tiny dagger";
        else
            line << '#' << std::to_string(item);
        line << " - " << std::to_string(record.ComponentCount(slot)) << " (consumed)\n";
    }
    // Kept components borrow the count of the consumed slot with their number.
    for (int slot = 0; slot < kKeptComponentSlots; ++slot) {
        const std::uint16_t item = record.KeptComponent(slot);
        if (item == COMPONENT_NONE)
            continue;
        section.Item() << "\t#" << std::to_string(item) << " - " << std::to_string(record.ComponentCount(slot))
                       << " (not consumed)\n";
    }
    section.Close();
}

} // namespace

std::string FormatSpellDuration(std::uint32_t milliseconds)
{
    std::string text;
    if (milliseconds >= 60000)
        text = std::to_string(milliseconds / 60000) + " min. ";
    // Seconds as a text stream writes a double by default (six significant
    // digits, no trailing zeros), independent of any locale.
    const double seconds = (milliseconds % 60000) * 0.001;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::general, 6);
    text.append(buffer, result.ptr);
    text += " sec.";
    return text;
}

void DescribeSpell(std::ostream& out, const SpellRecord& record, const std::string& prefix)
{
    DMSkills skills;
    out << prefix << "Mana:\t" << std::to_string(record.Mana()) << '\n';
    out << prefix << "Skill:\t" << SkillName(skills.GetSkill(record.Skill())) << '\n';
    out << '\n';
    WriteMessages(out, record, prefix);
    out << '\n';
    out << prefix << "Cast Time:\t" << FormatSpellDuration(record.CastTime()) << '\n';
    out << prefix << "Recover Time:\t" << FormatSpellDuration(record.RecoverTime()) << '\n';
    out << '\n';
    WriteEffects(out, record, prefix);
    out << '\n';
    WriteClasses(out, record, prefix);
    out << '\n';
    WriteComponents(out, record, prefix);
}

void DescribeSpell(std::ostream& out, std::span<const SpellRecord> records, int recordNumber,
                   const std::string& prefix)
{
    if (recordNumber < 0 || static_cast<std::size_t>(recordNumber) >= records.size())
        return;
    DescribeSpell(out, records[static_cast<std::size_t>(recordNumber)], prefix);
}

}  // namespace tomelens::core
