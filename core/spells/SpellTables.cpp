#include "spells/SpellTables.h"

#include <array>

namespace tomelens::core {

namespace {

constexpr std::array<SpellTableRow, 16> kClassRows = {{
    {14, kAllRowText},
    {256, "*** Not available ***"},
    {0, "Warrior"},
    {1, "Cleric"},
    {2, "Paladin"},
    {3, "Ranger"},
    {4, "Shaddow Knight"},
    {6, "Rogue"},
    {5, "Druid"},
    {7, "Bard"},
    {8, "Monk"},
    {9, "Shaman"},
    {10, "Necromancer"},
    {11, "Wizard"},
    {12, "Magician"},
    {13, "Enchanter"},
}};

constexpr std::array<SpellTableRow, 76> kEffectRows = {{
    {127, kAllRowText},
    {0, "Healing/Damage"},
    {1, "Armor Class"},
    {2, "Attack"},
    {3, "Move Speed"},
    {4, "Strength"},
    {5, "Dexterity"},
    {6, "Agility"},
    {7, "Stamina"},
    {8, "Intelligence"},
    {9, "Wisdom"},
    {10, "Charisma"},
    {11, "Attack Speed"},
    {12, "Invisibility"},
    {13, "See Invisible"},
    {14, "Water Breathing"},
    {15, "Mana"},
    {18, "Remove Monster Aggressivness"},
    {19, "NPC Allignment"},
    {20, "Blindness"},
    {21, "Stun"},
    {22, "Charm"},
    {23, "Fear"},
    {24, "Stamina regeneration"},
    {25, "Bind Afinity"},
    {26, "Gate"},
    {27, "Strip Enchantment"},
    {28, "Invisibility vs. Undead"},
    {29, "Invisibility vs. Animal"},
    {30, "Monster Reaction Range"},
    {31, "Sleep"},
    {32, "Summon Item"},
    {33, "Summon Pet"},
    {35, "Desease"},
    {36, "Poison"},
    {38, "Sence Magic"},
    {40, "Invulnerability"},
    {42, "Fade (Teleport small distance)"},
    {44, "Lycantropy"},
    {46, "Resist Fire"},
    {47, "Resist Cold"},
    {48, "Resist Poson"},
    {49, "Resist Desease"},
    {50, "Resist Magic"},
    {52, "Sence Undead"},
    {53, "Sence Summoned"},
    {54, "Sence Animal"},
    {55, "Protective Skin"},
    {56, "True North"},
    {57, "Levitate"},
    {58, "Illusion"},
    {59, "Damage Shield"},
    {61, "Identify"},
    {63, "Monster Mind Wipe"},
    {64, "Whirl Till You Hurl"},
    {65, "Infravision"},
    {66, "Ultravision"},
    {67, "Eye Of Zomm"},
    {68, "Reclaim Energy"},
    {69, "Max HP"},
    {71, "Summon Skeleton"},
    {73, "Bind Sight"},
    {74, "Feign Death"},
    {75, "Voice Graft"},
    {76, "Senitel"},
    {77, "Locate Corpse"},
    {79, "Damage Over Time"},
    {81, "Resurrect"},
    {83, "Teleport"},
    {84, "Teleport Up"},
    {85, "Steal HP"},
    {86, "Monster Fenzy Raduis"},
    {87, "Magnify View"},
    {88, "Group Teleport"},
    {89, "Change Height"},
    {90, "Cloak"},
}};

} // namespace

const std::span<const SpellTableRow> SpellClassTable = kClassRows;
const std::span<const SpellTableRow> SpellEffectTable = kEffectRows;

const char* FindSpellTableName(std::span<const SpellTableRow> table, int number)
{
    for (const SpellTableRow& row : table)
        if (row.number == number)
            return row.name;
    return nullptr;
}

}  // namespace tomelens::core
