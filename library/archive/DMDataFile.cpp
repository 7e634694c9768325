#include "archive/DMDataFile.h"

#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

DMDataFile::DMDataFile(const char* path) : m_path(path ? path : "") {}

DMDataFile::~DMDataFile()
{
    ResetContent();
}

DMDataFile* CreateDMDataFile(const char* path)
{
    return new (std::nothrow) DMDataFile(path);
}

void DestroyDMDataFile(DMDataFile* file)
{
    delete file;
}

void DMDataFile::ResetContent()
{
    while (!m_entries.empty())
        m_entries.pop_back();
    m_pDataArea.reset();
    m_dataAreaLength = 0;
    m_pSource.reset();
    m_nextIndex = 0;
    m_pSignature.reset();
    m_signatureLength = 0;
    m_fileSize = 0;
}

unsigned DMDataFile::GetNumEntries() const
{
    return m_entries.empty() ? 0 : static_cast<unsigned>(m_entries.size() - 1);
}

DMDataFileEntry* DMDataFile::GetEntry(unsigned position)
{
    return position < GetNumEntries() ? m_entries[position].get() : nullptr;
}

void* DMDataFile::GetSignature(unsigned& length)
{
    length = m_signatureLength;
    return m_pSignature.get();
}

void DMDataFile::SetSignature(const void* data, unsigned length)
{
    m_pSignature.reset();
    m_signatureLength = 0;
    if (data && length > 0) {
        m_pSignature = std::make_unique_for_overwrite<unsigned char[]>(length);
        std::memcpy(m_pSignature.get(), data, length);
        m_signatureLength = length;
    }
}

unsigned DMDataFile::AddEntry()
{
    const unsigned position = GetNumEntries();
    // One above every live index, the name list's included: last in directory order.
    auto entry = std::make_unique<DMDataFileEntry>();
    entry->SetIndex(m_nextIndex++);
    // The first element of an empty container becomes its name list; later
    // ones go just before it, so only the name list moves.
    m_entries.insert(m_entries.begin() + position, std::move(entry));
    return position;
}

void DMDataFile::DelEntry(unsigned position)
{
    if (position >= GetNumEntries() || m_entries[position]->Deleted())
        return;
    DMDataFileEntry& deleted = *m_entries[position];
    deleted.Delete();
    const unsigned gap = deleted.GetIndex();
    m_nextIndex = 0;
    for (const auto& entry : m_entries) {
        if (entry->Deleted())
            continue;
        if (entry->GetIndex() > gap)
            entry->SetIndex(entry->GetIndex() - 1);
        m_nextIndex = std::max(m_nextIndex, entry->GetIndex() + 1);
    }
}

namespace {

// Counts of marked slots below a slot, updated as slots are marked.
class SlotCounts {
public:
    explicit SlotCounts(std::size_t slots) : m_tree(slots + 1, 0) {}
    void Mark(std::size_t slot)
    {
        for (std::size_t i = slot + 1; i < m_tree.size(); i += i & (~i + 1))
            ++m_tree[i];
    }
    unsigned Below(std::size_t slot) const
    {
        unsigned count = 0;
        for (std::size_t i = slot; i > 0; i -= i & (~i + 1))
            count += m_tree[i];
        return count;
    }

private:
    std::vector<unsigned> m_tree;
};

}  // namespace

void DMDataFile::DelEntries(const unsigned* positions, unsigned count)
{
    if (!positions || count == 0)
        return;
    // One pass needs every live index distinct and below the number of
    // elements, as loading, adding and deleting keep them. Anything else is
    // left to DelEntry, one position at a time, which gives the same result.
    const std::size_t slots = m_entries.size();
    std::vector<bool> taken(slots, false);
    for (const auto& entry : m_entries) {
        if (entry->Deleted())
            continue;
        const unsigned index = entry->GetIndex();
        if (index >= slots || taken[index]) {
            for (unsigned i = 0; i < count; ++i)
                DelEntry(positions[i]);
            return;
        }
        taken[index] = true;
    }

    // Deleting in turn lowers each later victim by the earlier victims below it,
    // and each survivor by every victim below it.
    SlotCounts victims(slots);
    const unsigned visible = GetNumEntries();
    for (unsigned i = 0; i < count; ++i) {
        const unsigned position = positions[i];
        if (position >= visible || m_entries[position]->Deleted())
            continue;
        DMDataFileEntry& victim = *m_entries[position];
        const unsigned index = victim.GetIndex();
        victim.Delete();
        victim.SetIndex(index - victims.Below(index));
        victims.Mark(index);
    }
    m_nextIndex = 0;
    for (const auto& entry : m_entries) {
        if (entry->Deleted())
            continue;
        entry->SetIndex(entry->GetIndex() - victims.Below(entry->GetIndex()));
        m_nextIndex = std::max(m_nextIndex, entry->GetIndex() + 1);
    }
}

int DMDataFile::Save(const char* path)
{
    if (path) {
        m_path = path;
        m_bChecked = false;
    }
    if (m_path.empty())
        return DMResult::NoPath;
    return DMDataFileInternals::Save(*this);
}
