#include "skills/SkillTableBlob.h"

#include "archive/ArchiveFormat.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace tomelens::skills {

namespace {

std::uint32_t ReadLE(const unsigned char* p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

} // namespace

DMSkill DecodeSkill(const unsigned char* bytes)
{
    DMSkill skill;
    std::memcpy(skill.name, bytes, sizeof skill.name);
    skill.dwValue = ReadLE(bytes + 32, 4);
    std::memcpy(skill.flags, bytes + 36, sizeof skill.flags);
    std::memcpy(skill.classTableA, bytes + 40, sizeof skill.classTableA);
    std::memcpy(skill.classTableB, bytes + 70, sizeof skill.classTableB);
    std::memcpy(skill.classTableC, bytes + 100, sizeof skill.classTableC);
    skill.wordA = static_cast<std::uint16_t>(ReadLE(bytes + 130, 2));
    skill.wordB = static_cast<std::uint16_t>(ReadLE(bytes + 132, 2));
    skill.wordC = static_cast<std::uint16_t>(ReadLE(bytes + 134, 2));
    const std::uint32_t bits = ReadLE(bytes + 136, 4);
    std::memcpy(&skill.fValue, &bits, sizeof bits);
    return skill;
}

int UnpackSkillTable(const unsigned char* blob, std::size_t size, DMSkill** table)
{
    *table = nullptr;
    if (blob == nullptr || size < 4)
        return 0;
    const unsigned char* rest = blob + 4;
    const std::size_t restSize = size - 4;

    std::vector<unsigned char> raw;
    const std::uint32_t length = ReadLE(blob, 4);
    if (length != 0) {
        if (length > tomelens::archive::MaxInflatedSize(restSize) + 64)
            return 0;
        raw.resize(length);
        uLongf produced = length;
        if (uncompress(raw.data(), &produced, rest, static_cast<uLong>(restSize)) != Z_OK)
            return 0;
        raw.resize(produced);
    } else {
        raw.assign(rest, rest + restSize);
    }

    if (raw.empty() || raw.size() % kSkillRecordSize != 0)
        return 0;
    const std::size_t count = raw.size() / kSkillRecordSize;
    if (count > static_cast<std::size_t>(INT32_MAX))
        return 0;
    auto records = std::make_unique<DMSkill[]>(count);
    for (std::size_t i = 0; i < count; ++i)
        records[i] = DecodeSkill(raw.data() + i * kSkillRecordSize);
    *table = records.release();
    return static_cast<int>(count);
}

} // namespace tomelens::skills
