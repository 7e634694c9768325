#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tomelens::core {

// Markers stored in spell records.
inline constexpr std::uint16_t COMPONENT_NONE = 65535;    // empty component slot
inline constexpr std::uint8_t EFFECT_NONE = 254;          // empty effect slot
inline constexpr std::uint8_t LEVEL_NOT_AVAILABLE = 61;   // the class cannot use the spell
inline constexpr std::uint16_t ITEM_TINY_DAGGER = 13080;  // the one component written by name

inline constexpr std::size_t kSpellRecordSize = 560;
inline constexpr int kEffectSlots = 4;
inline constexpr int kComponentSlots = 4;
inline constexpr int kKeptComponentSlots = 2;
inline constexpr int kClassCount = 14;                    // class numbers 0-13

// One 560-byte record of spdat.eff, kept as the raw bytes of the file. The
// accessors decode the little-endian fields at their fixed offsets; texts are
// bounded by their fields (name 96 bytes, messages 64) so a missing NUL never
// reads past the record. Slot and class arguments must lie in their ranges
// (0-3 effects and components, 0-1 kept components, 0-13 classes).
// The setters write the same fields; tests and the sample game use them to
// build records in code. A default-constructed record is all zero bytes.
class SpellRecord {
public:
    // A record with nothing in it: empty texts, every effect slot EFFECT_NONE,
    // every component slot COMPONENT_NONE, every class LEVEL_NOT_AVAILABLE.
    static SpellRecord MakeEmpty();

    std::string Name() const;
    bool HasName() const { return bytes[0] != 0; }
    std::string CastingMessage() const;
    std::string OthersCastingMessage() const;
    std::string CastOnYouMessage() const;
    std::string CastOnOtherMessage() const;
    std::string FadesMessage() const;
    std::uint32_t CastTime() const;         // milliseconds
    std::uint32_t RecoverTime() const;      // milliseconds
    std::uint16_t Mana() const;
    std::int16_t EffectBase(int slot) const;
    std::uint16_t EffectMax(int slot) const;
    std::uint16_t Component(int slot) const;
    std::uint16_t ComponentCount(int slot) const;
    std::uint16_t KeptComponent(int slot) const;
    std::uint8_t EffectId(int slot) const;
    std::uint8_t Skill() const;
    std::uint8_t ClassLevel(int classNumber) const;

    // Texts longer than their field are cut so the field keeps its NUL.
    SpellRecord& SetName(const std::string& text);
    SpellRecord& SetCastingMessage(const std::string& text);
    SpellRecord& SetOthersCastingMessage(const std::string& text);
    SpellRecord& SetCastOnYouMessage(const std::string& text);
    SpellRecord& SetCastOnOtherMessage(const std::string& text);
    SpellRecord& SetFadesMessage(const std::string& text);
    SpellRecord& SetCastTime(std::uint32_t ms);
    SpellRecord& SetRecoverTime(std::uint32_t ms);
    SpellRecord& SetMana(std::uint16_t mana);
    // Id, base value and upper value of one effect slot.
    SpellRecord& SetEffect(int slot, std::uint8_t id, std::int16_t base, std::uint16_t max = 0);
    SpellRecord& SetComponent(int slot, std::uint16_t item, std::uint16_t count);
    SpellRecord& SetComponentCount(int slot, std::uint16_t count);
    SpellRecord& SetKeptComponent(int slot, std::uint16_t item);
    SpellRecord& SetSkill(std::uint8_t skill);
    SpellRecord& SetClassLevel(int classNumber, std::uint8_t level);
    SpellRecord& SetAllClassLevels(std::uint8_t level);

    // The record's bytes exactly as in the file.
    unsigned char bytes[kSpellRecordSize] = {};
};

static_assert(sizeof(SpellRecord) == kSpellRecordSize,
              "records are read from the file straight into an array of SpellRecord");

}  // namespace tomelens::core
