#pragma once

#include "archive/DMDataFile.h"

#include <string_view>
#include <unordered_map>
#include <vector>

// Every live entry's position by name, built once per command so that looking
// up many names costs one pass over the archive, not one per name. The index
// refers to the entries' own names: renaming an entry makes it stale.
class EntryIndex {
public:
    explicit EntryIndex(DMDataFile& file);

    // Positions of the live entries named name (bytes), in data order; empty when none.
    std::vector<unsigned> Find(std::string_view name) const;

private:
    static constexpr unsigned kNone = ~0u;
    // The first entry of each name, and for each position the next one of the
    // same name: most names are unique, so this needs no list per name.
    std::unordered_map<std::string_view, unsigned> m_first;
    std::vector<unsigned> m_next;
};
