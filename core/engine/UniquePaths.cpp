#include "engine/UniquePaths.h"

#include "engine/SafeEntryPath.h"

#include <vector>

namespace tomelens::core {

std::string UniquePaths::Claim(const std::string& safePath)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = safePath.find('/', start);
        parts.push_back(safePath.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }

    std::string claimed;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool isFile = i + 1 == parts.size();
        const std::string prefix = claimed.empty() ? "" : claimed + "/";
        std::string candidate = prefix + parts[i];
        // A folder may be shared with earlier entries; a file may not, and
        // neither may take the other's place.
        auto clashes = [&](const std::string& path) {
            return isFile ? (m_files.count(path) || m_folders.count(path)) : m_files.count(path) != 0;
        };
        if (clashes(candidate)) {
            const std::string base = candidate;
            unsigned& n = m_nextNumber.try_emplace(base, 2).first->second;
            do
                candidate = prefix + NumberedPath(parts[i], n++);
            while (clashes(candidate));
        }
        claimed = candidate;
        (isFile ? m_files : m_folders).insert(claimed);
    }
    return claimed;
}

}  // namespace tomelens::core
