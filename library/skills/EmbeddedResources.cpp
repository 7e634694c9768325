#include "skills/EmbeddedResources.h"

#include <map>

namespace tomelens::resources {

// Produced at build time by the packing tool from SkillTable.txt.
extern const unsigned char kSkillTableBlob[];
extern const std::size_t kSkillTableBlobSize;

namespace {

struct Override {
    const unsigned char* data;
    std::size_t size;
};

std::map<int, Override>& Overrides()
{
    static std::map<int, Override> overrides;
    return overrides;
}

} // namespace

bool FindEmbeddedResource(int id, EmbeddedResource& out)
{
    if (auto it = Overrides().find(id); it != Overrides().end()) {
        if (it->second.data == nullptr)
            return false;
        out = {it->second.data, it->second.size};
        return true;
    }
    if (id == kSkillTableResourceId) {
        out = {kSkillTableBlob, kSkillTableBlobSize};
        return true;
    }
    return false;
}

void OverrideEmbeddedResource(int id, const unsigned char* data, std::size_t size)
{
    Overrides()[id] = {data, size};
}

void RestoreEmbeddedResources()
{
    Overrides().clear();
}

} // namespace tomelens::resources
