#pragma once

#include "archive/DMDataFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tomelens::core {

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
    // One open-addressed slot: the first entry of a name and part of the
    // name's hash, so most probes settle without reading a name. A flat table
    // keeps a large archive's index in a few contiguous arrays instead of one
    // allocation per name.
    struct Slot {
        std::uint32_t tag = 0;
        unsigned first = kNone;
    };
    // The slot holding name, or the empty slot where it would go.
    std::size_t Locate(std::string_view name, std::size_t hash) const;

    std::vector<Slot> m_slots;  // a power of two, at least twice the live entries
    std::vector<std::string_view> m_names;  // by position
    // For each position the next one of the same name: most names are unique,
    // so this needs no list per name.
    std::vector<unsigned> m_next;
};

}  // namespace tomelens::core
