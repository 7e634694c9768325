#include "engine/EntryIndex.h"

#include "archive/DMDataFileEntry.h"

#include <bit>
#include <functional>

namespace tomelens::core {

namespace {

std::uint32_t TagOf(std::size_t hash)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32) ^ static_cast<std::uint32_t>(hash);
}

}  // namespace

EntryIndex::EntryIndex(DMDataFile& file)
{
    const unsigned count = file.GetNumEntries();
    m_slots.resize(std::bit_ceil(2 * static_cast<std::size_t>(count) + 2));
    m_names.resize(count);
    m_next.assign(count, kNone);
    // Walked backwards, so each name's chain comes out in data order.
    for (unsigned position = count; position-- > 0;) {
        const DMDataFileEntry* entry = file.GetEntry(position);
        if (!entry || entry->Deleted())
            continue;
        const std::string_view name = entry->GetName();
        m_names[position] = name;
        const std::size_t hash = std::hash<std::string_view>{}(name);
        Slot& slot = m_slots[Locate(name, hash)];
        if (slot.first != kNone)
            m_next[position] = slot.first;
        slot = {TagOf(hash), position};
    }
}

std::size_t EntryIndex::Locate(std::string_view name, std::size_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const std::uint32_t tag = TagOf(hash);
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.first == kNone || (slot.tag == tag && m_names[slot.first] == name))
            return at;
    }
}

std::vector<unsigned> EntryIndex::Find(std::string_view name) const
{
    std::vector<unsigned> positions;
    for (unsigned at = m_slots[Locate(name, std::hash<std::string_view>{}(name))].first; at != kNone; at = m_next[at])
        positions.push_back(at);
    return positions;
}

}  // namespace tomelens::core
