#pragma once

#include "../TomelensExport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// One record of the game's skill table: 140 bytes, no padding, little-endian
// integers; the layout is the same in memory and in the embedded blob. The
// program itself reads only the name; the other fields are carried as stored.
struct DMSkill {
    char name[32];                  // NUL-terminated, NUL-padded
    std::uint32_t dwValue;
    std::uint8_t flags[4];
    std::uint8_t classTableA[30];   // indexed by class number 0-29
    std::uint8_t classTableB[30];
    std::uint8_t classTableC[30];
    std::uint16_t wordA;
    std::uint16_t wordB;
    std::uint16_t wordC;
    float fValue;                   // IEEE 754 single
};

static_assert(sizeof(DMSkill) == 140, "DMSkill must be exactly 140 bytes");
static_assert(offsetof(DMSkill, name) == 0);
static_assert(offsetof(DMSkill, dwValue) == 32);
static_assert(offsetof(DMSkill, flags) == 36);
static_assert(offsetof(DMSkill, classTableA) == 40);
static_assert(offsetof(DMSkill, classTableB) == 70);
static_assert(offsetof(DMSkill, classTableC) == 100);
static_assert(offsetof(DMSkill, wordA) == 130);
static_assert(offsetof(DMSkill, wordB) == 132);
static_assert(offsetof(DMSkill, wordC) == 134);
static_assert(offsetof(DMSkill, fValue) == 136);

// The name of a skill record, bounded by its 32-byte field.
inline std::string_view SkillName(const DMSkill& skill)
{
    std::size_t length = 0;
    while (length < sizeof skill.name && skill.name[length] != '\0')
        ++length;
    return std::string_view(skill.name, length);
}

// Shows "Can't initialize skills." (caption "Error") to the user. The library
// has no GUI: the program installs a handler that shows a message box.
using SkillsErrorHandler = void (*)(const char* text, const char* caption);

// Installs the handler used if the table fails to load; nullptr restores the
// default, which writes the text to stderr. Install it before the first
// DMSkills object is made: the failure is reported once per process, at that
// first construction.
TOMELENS_API void SetSkillsErrorHandler(SkillsErrorHandler handler);

// The built-in table of the game's 74 skills. It is unpacked once per process,
// by the first DMSkills object, and shared by all; objects are cheap, so make
// a temporary one wherever a skill is needed.
class TOMELENS_API DMSkills {
public:
    // Loads the shared table on the first construction (reporting a failure
    // through the error handler) and names this object's fallback "Unknown".
    DMSkills();
    DMSkills(const DMSkills& other) = default;
    // Copies the fallback record.
    DMSkills& operator=(const DMSkills& other);

    // The record at index when 0 <= index < GetMaxSkill(); otherwise this
    // object's fallback record (name "Unknown").
    DMSkill& GetSkill(int index);
    // The record whose name equals the text exactly (case-sensitive; the
    // highest index wins on duplicates); otherwise the fallback record.
    DMSkill& GetSkill(const char* name);
    // 74 with the built-in table, 0 when loading failed.
    int GetMaxSkill();

private:
    DMSkill m_fallback;

    static DMSkill* skills;   // the shared table, never freed
    static int maxSkill;      // -1 before the first construction
};
