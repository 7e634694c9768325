// Arbitrary bytes as the manifest unpack leaves in a folder: the reader must
// refuse or accept without reading out of bounds, and an accepted manifest
// must survive being written and read again unchanged.
#include "modding/Manifest.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace tomelens::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string problem;
    const auto manifest = ManifestFromJson(std::string(reinterpret_cast<const char*>(data), size), problem);
    if (!manifest)
        return problem.empty() ? (std::abort(), 0) : 0;
    const auto again = ManifestFromJson(ManifestToJson(*manifest), problem);
    if (!again || !(*again == *manifest))
        std::abort();
    return 0;
}
