#pragma once

#include <cstddef>

// The library's own small resource lookup: blobs linked into it at build
// time, found by id. Internal to the library (not exported).
namespace tomelens::resources {

inline constexpr int kSkillTableResourceId = 130;

struct EmbeddedResource {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// The blob with the given id; false when the library has none.
bool FindEmbeddedResource(int id, EmbeddedResource& out);

// For tests: make id resolve to other bytes (or to nothing with
// data == nullptr) until RestoreEmbeddedResources. The bytes are not copied.
void OverrideEmbeddedResource(int id, const unsigned char* data, std::size_t size);
void RestoreEmbeddedResources();

} // namespace tomelens::resources
