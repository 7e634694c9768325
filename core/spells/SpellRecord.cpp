#include "spells/SpellRecord.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace tomelens::core {

namespace {

// Field offsets and sizes within a record.
constexpr std::size_t kName = 0, kNameSize = 96;
constexpr std::size_t kMessageSize = 64;
constexpr std::size_t kCastingMessage = 96;
constexpr std::size_t kOthersCastingMessage = 160;
constexpr std::size_t kCastOnYouMessage = 224;
constexpr std::size_t kCastOnOtherMessage = 288;
constexpr std::size_t kFadesMessage = 352;
constexpr std::size_t kCastTime = 432;
constexpr std::size_t kRecoverTime = 440;
constexpr std::size_t kMana = 456;
constexpr std::size_t kEffectBase = 458;
constexpr std::size_t kEffectMax = 466;
constexpr std::size_t kComponents = 478;
constexpr std::size_t kComponentCounts = 486;
constexpr std::size_t kKeptComponents = 494;
constexpr std::size_t kEffectIds = 506;
constexpr std::size_t kSkill = 512;
constexpr std::size_t kClassLevels = 517;

std::string Text(const unsigned char* bytes, std::size_t offset, std::size_t size)
{
    const char* start = reinterpret_cast<const char*>(bytes + offset);
    const void* nul = std::memchr(start, '\0', size);
    return std::string(start, nul ? static_cast<const char*>(nul) - start : size);
}

void SetText(unsigned char* bytes, std::size_t offset, std::size_t size, const std::string& text)
{
    const std::size_t length = std::min(text.size(), size - 1);
    std::memset(bytes + offset, 0, size);
    std::memcpy(bytes + offset, text.data(), length);
}

std::uint32_t Get32(const unsigned char* bytes, std::size_t offset)
{
    const unsigned char* p = bytes + offset;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Get16(const unsigned char* bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

void Put32(unsigned char* bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

void Put16(unsigned char* bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<unsigned char>(value);
    bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
}

void CheckSlot(int slot, int count)
{
    assert(slot >= 0 && slot < count);
    (void)slot;
    (void)count;
}

} // namespace

SpellRecord SpellRecord::MakeEmpty()
{
    SpellRecord record;
    for (int slot = 0; slot < kEffectSlots; ++slot)
        record.SetEffect(slot, EFFECT_NONE, 0, 0);
    for (int slot = 0; slot < kComponentSlots; ++slot)
        record.SetComponent(slot, COMPONENT_NONE, 0);
    for (int slot = 0; slot < kKeptComponentSlots; ++slot)
        record.SetKeptComponent(slot, COMPONENT_NONE);
    record.SetAllClassLevels(LEVEL_NOT_AVAILABLE);
    return record;
}

std::string SpellRecord::Name() const { return Text(bytes, kName, kNameSize); }
std::string SpellRecord::CastingMessage() const { return Text(bytes, kCastingMessage, kMessageSize); }
std::string SpellRecord::OthersCastingMessage() const { return Text(bytes, kOthersCastingMessage, kMessageSize); }
std::string SpellRecord::CastOnYouMessage() const { return Text(bytes, kCastOnYouMessage, kMessageSize); }
std::string SpellRecord::CastOnOtherMessage() const { return Text(bytes, kCastOnOtherMessage, kMessageSize); }
std::string SpellRecord::FadesMessage() const { return Text(bytes, kFadesMessage, kMessageSize); }
std::uint32_t SpellRecord::CastTime() const { return Get32(bytes, kCastTime); }
std::uint32_t SpellRecord::RecoverTime() const { return Get32(bytes, kRecoverTime); }
std::uint16_t SpellRecord::Mana() const { return Get16(bytes, kMana); }

std::int16_t SpellRecord::EffectBase(int slot) const
{
    CheckSlot(slot, kEffectSlots);
    return static_cast<std::int16_t>(Get16(bytes, kEffectBase + 2 * slot));
}

std::uint16_t SpellRecord::EffectMax(int slot) const
{
    CheckSlot(slot, kEffectSlots);
    return Get16(bytes, kEffectMax + 2 * slot);
}

std::uint16_t SpellRecord::Component(int slot) const
{
    CheckSlot(slot, kComponentSlots);
    return Get16(bytes, kComponents + 2 * slot);
}

std::uint16_t SpellRecord::ComponentCount(int slot) const
{
    CheckSlot(slot, kComponentSlots);
    return Get16(bytes, kComponentCounts + 2 * slot);
}

std::uint16_t SpellRecord::KeptComponent(int slot) const
{
    CheckSlot(slot, kKeptComponentSlots);
    return Get16(bytes, kKeptComponents + 2 * slot);
}

std::uint8_t SpellRecord::EffectId(int slot) const
{
    CheckSlot(slot, kEffectSlots);
    return bytes[kEffectIds + slot];
}

std::uint8_t SpellRecord::Skill() const { return bytes[kSkill]; }

std::uint8_t SpellRecord::ClassLevel(int classNumber) const
{
    CheckSlot(classNumber, kClassCount);
    return bytes[kClassLevels + classNumber];
}

SpellRecord& SpellRecord::SetName(const std::string& text)
{
    SetText(bytes, kName, kNameSize, text);
    return *this;
}

SpellRecord& SpellRecord::SetCastingMessage(const std::string& text)
{
    SetText(bytes, kCastingMessage, kMessageSize, text);
    return *this;
}

SpellRecord& SpellRecord::SetOthersCastingMessage(const std::string& text)
{
    SetText(bytes, kOthersCastingMessage, kMessageSize, text);
    return *this;
}

SpellRecord& SpellRecord::SetCastOnYouMessage(const std::string& text)
{
    SetText(bytes, kCastOnYouMessage, kMessageSize, text);
    return *this;
}

SpellRecord& SpellRecord::SetCastOnOtherMessage(const std::string& text)
{
    SetText(bytes, kCastOnOtherMessage, kMessageSize, text);
    return *this;
}

SpellRecord& SpellRecord::SetFadesMessage(const std::string& text)
{
    SetText(bytes, kFadesMessage, kMessageSize, text);
    return *this;
}

SpellRecord& SpellRecord::SetCastTime(std::uint32_t ms)
{
    Put32(bytes, kCastTime, ms);
    return *this;
}

SpellRecord& SpellRecord::SetRecoverTime(std::uint32_t ms)
{
    Put32(bytes, kRecoverTime, ms);
    return *this;
}

SpellRecord& SpellRecord::SetMana(std::uint16_t mana)
{
    Put16(bytes, kMana, mana);
    return *this;
}

SpellRecord& SpellRecord::SetEffect(int slot, std::uint8_t id, std::int16_t base, std::uint16_t max)
{
    CheckSlot(slot, kEffectSlots);
    bytes[kEffectIds + slot] = id;
    Put16(bytes, kEffectBase + 2 * slot, static_cast<std::uint16_t>(base));
    Put16(bytes, kEffectMax + 2 * slot, max);
    return *this;
}

SpellRecord& SpellRecord::SetComponent(int slot, std::uint16_t item, std::uint16_t count)
{
    CheckSlot(slot, kComponentSlots);
    Put16(bytes, kComponents + 2 * slot, item);
    Put16(bytes, kComponentCounts + 2 * slot, count);
    return *this;
}

SpellRecord& SpellRecord::SetComponentCount(int slot, std::uint16_t count)
{
    CheckSlot(slot, kComponentSlots);
    Put16(bytes, kComponentCounts + 2 * slot, count);
    return *this;
}

SpellRecord& SpellRecord::SetKeptComponent(int slot, std::uint16_t item)
{
    CheckSlot(slot, kKeptComponentSlots);
    Put16(bytes, kKeptComponents + 2 * slot, item);
    return *this;
}

SpellRecord& SpellRecord::SetSkill(std::uint8_t skill)
{
    bytes[kSkill] = skill;
    return *this;
}

SpellRecord& SpellRecord::SetClassLevel(int classNumber, std::uint8_t level)
{
    CheckSlot(classNumber, kClassCount);
    bytes[kClassLevels + classNumber] = level;
    return *this;
}

SpellRecord& SpellRecord::SetAllClassLevels(std::uint8_t level)
{
    std::memset(bytes + kClassLevels, level, kClassCount);
    return *this;
}

}  // namespace tomelens::core
