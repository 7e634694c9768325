// Arbitrary bytes as a spell file: the first 8 bytes choose the filter, the
// rest is read as spdat.eff. Every listed spell is described and exported;
// nothing may read outside a record or list a record that should not pass.

#include "spells/SpellDescription.h"
#include "spells/SpellExport.h"
#include "spells/SpellFile.h"
#include "spells/SpellQuery.h"
#include "spells/SpellTables.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace tomelens::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    SpellFilter filter;
    const int classes[] = {CLASS_ALL, CLASS_NOT_AVAILABLE, data[0] % 16};
    filter.classFilter = classes[data[0] % 3];
    filter.levels = ParseLevelRange(std::to_string(static_cast<std::int8_t>(data[1])), std::to_string(data[2]));
    filter.skillCount = data[3] % 2 ? 74 : 0;
    filter.skillFilter = data[4] % 2 ? filter.skillCount : data[5];
    filter.effectFilter = data[6] % 2 ? EFFECT_ALL : data[7];

    // Through a real FILE*, as the program reads it.
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data + 8), size - 8, "rb");
    if (!file)
        return 0;
    std::vector<SpellRecord> records;
    const SpellFileResult result = ReadSpellRecords(file, size - 8, records);
    std::fclose(file);
    if (!result.ok()) {
        if ((size - 8) % kSpellRecordSize == 0 || records.size() != 0)
            std::abort();
        return 0;
    }
    if (records.size() != (size - 8) / kSpellRecordSize)
        std::abort();

    std::vector<SpellLine> lines = QuerySpells(records, filter);
    SortSpellLines(lines);
    std::vector<int> numbers;
    for (const SpellLine& line : lines) {
        if (line.record < 0 || static_cast<std::size_t>(line.record) >= records.size() ||
            !records[static_cast<std::size_t>(line.record)].HasName())
            std::abort();
        numbers.push_back(line.record);
    }
    for (int skill : SkillsInUse(records, filter.skillCount))
        if (skill < 0 || skill >= filter.skillCount)
            std::abort();

    std::ostringstream out;
    WriteAllSpellsExport(out, records, numbers);
    for (std::size_t n = 0; n < records.size(); ++n)
        DescribeSpell(out, records, static_cast<int>(n), "");
    return 0;
}
