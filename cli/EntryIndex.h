#pragma once

#include "archive/DMDataFile.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Every live entry's position by name, built once per command so that looking
// up many names costs one pass over the archive, not one per name.
class EntryIndex {
public:
    explicit EntryIndex(DMDataFile& file);

    // Positions of the live entries named name (bytes), in data order; empty when none.
    const std::vector<unsigned>& Find(const std::string& name) const;

private:
    std::unordered_map<std::string, std::vector<unsigned>> m_positions;
};
