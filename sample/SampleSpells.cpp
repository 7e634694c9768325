#include "SampleSpells.h"

#include "spells/SpellTables.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>

using namespace tomelens::core;

namespace {

constexpr std::array kNouns = {"Ember",  "Frost",   "Gale",   "Thorn",  "Ward",   "Veil",
                               "Mend",   "Spark",   "Dusk",   "Tide",   "Ash",    "Bloom",
                               "Shade",  "Cinder",  "Grove",  "Rune",   "Echo",   "Storm",
                               "Stone",  "Mist",    "Flare",  "Hollow", "Lantern", "Quill"};
constexpr std::array kForms = {"Touch of ", "Ring of ", "Word of ", "Call of ", "Mantle of ",
                               "Lesser ", "Greater ", "Circle of ", "Breath of ", ""};
constexpr std::array kSuffixes = {"", " II", " III", " of the Vale", " of Embers",
                                  " of the Hearth", " Rising"};
// Casting skills: the five schools, singing and the instruments.
constexpr std::array<std::uint8_t, 9> kSkills = {4, 5, 14, 18, 24, 41, 49, 54, 70};

std::string Message(const char* what, const std::string& name)
{
    return std::string(what) + " " + name + ".";
}

}  // namespace

std::vector<SpellRecord> MakeSampleSpells()
{
    std::mt19937 random(20261206u);  // fixed seed: the same file on every build
    auto pick = [&random](std::uint32_t count) { return random() % count; };

    // Effect ids of the table (row 0 is the filter value, not an effect).
    std::vector<int> effects;
    for (std::size_t row = 1; row < SpellEffectTable.size(); ++row)
        effects.push_back(SpellEffectTable[row].number);

    std::vector<SpellRecord> spells;
    for (int n = 0; n < 204; ++n) {
        if (n % 37 == 36) {  // blank slots, as the game's file has them
            spells.push_back(SpellRecord());
            continue;
        }
        SpellRecord spell = SpellRecord::MakeEmpty();
        const std::string name = std::string(kForms[pick(kForms.size())]) +
                                 kNouns[std::size_t(n) % kNouns.size()] +
                                 kSuffixes[std::size_t(n / int(kNouns.size())) % kSuffixes.size()];
        spell.SetName(name);
        spell.SetCastingMessage("You begin casting " + name + ".");
        if (n % 3 != 0)
            spell.SetOthersCastingMessage("Someone begins casting a spell.");
        if (n % 4 != 1)
            spell.SetCastOnYouMessage(Message("You feel the power of", name));
        if (n % 5 != 2)
            spell.SetCastOnOtherMessage("Someone is touched by " + name + ".");
        if (n % 2 == 0)
            spell.SetFadesMessage("The " + name + " fades.");
        spell.SetMana(std::uint16_t(5 + pick(300)));
        spell.SetCastTime(std::uint32_t(500 * (1 + pick(12))));
        spell.SetRecoverTime(n % 17 == 0 ? 61500u : std::uint32_t(250 * pick(40)));
        spell.SetSkill(kSkills[std::size_t(n) % kSkills.size()]);

        // One to four effects, walking through the whole table over the file.
        const int effectCount = 1 + int(pick(4));
        for (int slot = 0; slot < effectCount; ++slot) {
            const int id = effects[(std::size_t(n) * 3 + std::size_t(slot) * 7) % effects.size()];
            const auto base = std::int16_t(int(pick(200)) - 60);
            const auto max = slot == 1 ? std::uint16_t(std::max(0, int(base)) + 10) : std::uint16_t(0);
            spell.SetEffect(slot, std::uint8_t(id), base, max);
        }

        // Classes: a few that can use it, or none at all for every 23rd spell.
        if (n % 23 != 5) {
            const int first = n % kClassCount;
            const int usable = 1 + int(pick(5));
            for (int k = 0; k < usable; ++k) {
                const int classNumber = (first + k * 3) % kClassCount;
                spell.SetClassLevel(classNumber, std::uint8_t(1 + pick(50)));
            }
        }

        // Components: most spells need some; every 11th needs the tiny dagger.
        if (n % 11 == 0)
            spell.SetComponent(0, ITEM_TINY_DAGGER, 1);
        else if (n % 3 == 1)
            spell.SetComponent(0, std::uint16_t(10000 + pick(5000)), std::uint16_t(1 + pick(3)));
        if (n % 7 == 2)
            spell.SetKeptComponent(0, std::uint16_t(10000 + pick(5000)));
        spells.push_back(spell);
    }
    return spells;
}
