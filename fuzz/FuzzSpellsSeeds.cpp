// Writes a few seed inputs for fuzz_spells into the folder given: 8 filter
// bytes followed by a small spell file.

#include "spells/SpellFile.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace tomelens::core;

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    SpellRecord full = SpellRecord::MakeEmpty();
    full.SetName("Seed Bolt").SetCastingMessage("Glow").SetMana(20).SetSkill(24).SetCastTime(61500);
    full.SetEffect(0, 0, -30, 40000).SetEffect(1, 16, 4).SetClassLevel(11, 5).SetClassLevel(5, 12);
    full.SetComponent(0, 13080, 1).SetKeptComponent(1, 9);
    SpellRecord nobody = SpellRecord::MakeEmpty();
    nobody.SetName("Seed Nobody");

    const std::vector<std::pair<std::string, std::vector<SpellRecord>>> seeds = {
        {std::string("\x00\x01\x32\x01\x01\x00\x01\x00", 8), {full, nobody}},
        {std::string("\x02\x00\x00\x01\x00\x18\x00\x00", 8), {full, SpellRecord::MakeEmpty(), nobody}},
        {std::string("\x01\x00\x00\x00\x00\x00\x01\x00", 8), {}},
    };
    int index = 0;
    for (const auto& [header, records] : seeds) {
        const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(index++);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return 1;
        std::fwrite(header.data(), 1, header.size(), file);
        if (!records.empty())
            std::fwrite(records.data(), kSpellRecordSize, records.size(), file);
        if (std::fclose(file) != 0)
            return 1;
    }
    return 0;
}
