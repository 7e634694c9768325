#include "EntryIndex.h"

#include "archive/DMDataFileEntry.h"

EntryIndex::EntryIndex(DMDataFile& file)
{
    const unsigned count = file.GetNumEntries();
    m_first.reserve(count);
    m_next.assign(count, kNone);
    // Walked backwards, so each name's chain comes out in data order.
    for (unsigned position = count; position-- > 0;) {
        const DMDataFileEntry* entry = file.GetEntry(position);
        if (!entry || entry->Deleted())
            continue;
        auto [slot, added] = m_first.try_emplace(entry->GetName(), position);
        if (!added) {
            m_next[position] = slot->second;
            slot->second = position;
        }
    }
}

std::vector<unsigned> EntryIndex::Find(std::string_view name) const
{
    std::vector<unsigned> positions;
    const auto found = m_first.find(name);
    for (unsigned at = found == m_first.end() ? kNone : found->second; at != kNone; at = m_next[at])
        positions.push_back(at);
    return positions;
}
