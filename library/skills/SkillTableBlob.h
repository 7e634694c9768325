#pragma once

#include "skills/DMSkills.h"

#include <cstddef>

namespace tomelens::skills {

inline constexpr std::size_t kSkillRecordSize = sizeof(DMSkill);

// Unpacks a skill table blob: a little-endian length word n, then either one
// zlib stream that inflates to n bytes, or (n = 0) the records themselves.
// Returns the number of records and sets *table to a new[]-allocated array of
// them, or returns 0 and sets *table to nullptr when the blob is too short,
// does not inflate, or does not hold a whole number of 140-byte records.
int UnpackSkillTable(const unsigned char* blob, std::size_t size, DMSkill** table);

// Decodes one 140-byte little-endian record.
DMSkill DecodeSkill(const unsigned char* bytes);

} // namespace tomelens::skills
