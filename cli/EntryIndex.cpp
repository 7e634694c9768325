#include "EntryIndex.h"

#include "archive/DMDataFileEntry.h"

EntryIndex::EntryIndex(DMDataFile& file)
{
    const unsigned count = file.GetNumEntries();
    m_positions.reserve(count);
    for (unsigned position = 0; position < count; ++position) {
        const DMDataFileEntry* entry = file.GetEntry(position);
        if (entry && !entry->Deleted())
            m_positions[entry->GetName()].push_back(position);
    }
}

const std::vector<unsigned>& EntryIndex::Find(const std::string& name) const
{
    static const std::vector<unsigned> none;
    const auto found = m_positions.find(name);
    return found == m_positions.end() ? none : found->second;
}
