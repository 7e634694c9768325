#include "skills/DMSkills.h"

#include "skills/EmbeddedResources.h"
#include "skills/SkillTableBlob.h"

#include <cstdio>
#include <cstring>

DMSkill* DMSkills::skills = nullptr;
int DMSkills::maxSkill = -1;

namespace {

SkillsErrorHandler g_errorHandler = nullptr;

void ReportSkillsError(const char* text, const char* caption)
{
    if (g_errorHandler != nullptr)
        g_errorHandler(text, caption);
    else
        std::fprintf(stderr, "%s: %s\n", caption, text);
}

} // namespace

void SetSkillsErrorHandler(SkillsErrorHandler handler)
{
    g_errorHandler = handler;
}

DMSkills::DMSkills()
    : m_fallback{}
{
    // The table is loaded by the first object only; a failed load stays
    // failed (maxSkill 0) so the user hears about it once per process.
    if (maxSkill == -1) {
        tomelens::resources::EmbeddedResource blob;
        int count = 0;
        if (tomelens::resources::FindEmbeddedResource(tomelens::resources::kSkillTableResourceId, blob))
            count = tomelens::skills::UnpackSkillTable(blob.data, blob.size, &skills);
        maxSkill = count;
        if (count == 0)
            ReportSkillsError("Can't initialize skills.", "Error");
    }
    std::memcpy(m_fallback.name, "Unknown", sizeof "Unknown");
}

DMSkills& DMSkills::operator=(const DMSkills& other)
{
    m_fallback = other.m_fallback;
    return *this;
}

DMSkill& DMSkills::GetSkill(int index)
{
    if (index >= 0 && index < maxSkill)
        return skills[index];
    return m_fallback;
}

DMSkill& DMSkills::GetSkill(const char* name)
{
    if (name != nullptr) {
        // Names are compared within their 32-byte field, so a record whose
        // name fills the field is never read past.
        const std::size_t length = std::strlen(name);
        for (int i = maxSkill - 1; i >= 0; --i) {
            const std::size_t stored = strnlen(skills[i].name, sizeof skills[i].name);
            if (stored == length && std::memcmp(skills[i].name, name, length) == 0)
                return skills[i];
        }
    }
    return m_fallback;
}

int DMSkills::GetMaxSkill()
{
    return maxSkill;
}
