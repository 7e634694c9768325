#include "archive/DMDataFile.h"

#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"
#include "archive/LastError.h"

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

using Entries = std::vector<std::unique_ptr<DMDataFileEntry>>;

// The entries live in separate allocations that the processor cannot guess
// from the pointer array; asking for one well ahead hides the miss once a
// large container no longer fits in the caches (a trip to memory outlasts
// a few dozen steps of these loops).
constexpr std::size_t kPrefetchAhead = 32;

void PrefetchEntry(const Entries& entries, std::size_t slot)
{
#if defined(__GNUC__)
    if (slot < entries.size())
        __builtin_prefetch(entries[slot].get(), 1);
#else
    (void)entries;
    (void)slot;
#endif
}

struct Victim {
    unsigned position;
    unsigned index;  // before this deletion
};

constexpr unsigned kNoVictim = ~0u;

// The index each victim has once deleted, by position (kNoVictim for the
// rest): deleting in turn lowers it by the earlier victims below it. Worked
// out on the victims' list alone, so the entries are written in one sweep.
std::vector<unsigned> VictimIndices(std::size_t slots, const std::vector<Victim>& victims)
{
    // Victims taken in ascending slot order each sit above all earlier ones,
    // in descending order above none; any other order needs counting.
    bool ascending = true, descending = true;
    for (std::size_t k = 1; k < victims.size(); ++k) {
        ascending = ascending && victims[k - 1].index < victims[k].index;
        descending = descending && victims[k - 1].index > victims[k].index;
    }
    const bool counted = !ascending && !descending;
    SlotCounts earlier(counted ? slots : 0);
    std::vector<unsigned> lowered(slots, kNoVictim);
    for (std::size_t k = 0; k < victims.size(); ++k) {
        const unsigned index = victims[k].index;
        if (ascending)
            lowered[victims[k].position] = index - static_cast<unsigned>(k);
        else if (counted)
            lowered[victims[k].position] = index - earlier.Below(index);
        else
            lowered[victims[k].position] = index;
        if (counted)
            earlier.Mark(index);
    }
    return lowered;
}

}  // namespace

void DMDataFile::DelEntries(const unsigned* positions, unsigned count)
{
    if (!positions || count == 0)
        return;
    // One pass needs every live index distinct and below the number of
    // elements, as loading, adding and deleting keep them. Anything else is
    // left to DelEntry, one position at a time, which gives the same result.
    // The indices are gathered once, so later passes stay off the entries.
    constexpr unsigned kGone = ~0u;
    const std::size_t slots = m_entries.size();
    std::vector<unsigned> indices(slots, kGone);
    std::vector<bool> taken(slots, false);
    for (std::size_t i = 0; i < slots; ++i) {
        PrefetchEntry(m_entries, i + kPrefetchAhead);
        if (m_entries[i]->Deleted())
            continue;
        const unsigned index = m_entries[i]->GetIndex();
        if (index >= slots || taken[index]) {
            for (unsigned k = 0; k < count; ++k)
                DelEntry(positions[k]);
            return;
        }
        taken[index] = true;
        indices[i] = index;
    }

    // Deleting in turn lowers each victim by the earlier victims below it, and
    // each survivor by every victim below it.
    std::vector<Victim> victims;
    victims.reserve(count);
    std::vector<unsigned> removedBelow(slots + 1, 0);
    const unsigned visible = GetNumEntries();
    for (unsigned k = 0; k < count; ++k) {
        const unsigned position = positions[k];
        if (position >= visible || indices[position] == kGone)
            continue;
        victims.push_back({position, indices[position]});
        removedBelow[indices[position] + 1] = 1;
        indices[position] = kGone;
    }
    const std::vector<unsigned> victimIndex = VictimIndices(slots, victims);
    for (std::size_t slot = 1; slot <= slots; ++slot)
        removedBelow[slot] += removedBelow[slot - 1];

    // One sweep in slot order writes every entry that changes: the victims,
    // and the survivors whose index drops. The compact arrays tell which lie
    // ahead without reading the entries.
    auto changes = [&](std::size_t i) {
        return victimIndex[i] != kNoVictim || (indices[i] != kGone && removedBelow[indices[i]] != 0);
    };
    m_nextIndex = 0;
    for (std::size_t i = 0; i < slots; ++i) {
        const std::size_t ahead = i + kPrefetchAhead;
        if (ahead < slots && changes(ahead))
            PrefetchEntry(m_entries, ahead);
        if (victimIndex[i] != kNoVictim) {
            m_entries[i]->Delete();
            m_entries[i]->SetIndex(victimIndex[i]);
            continue;
        }
        if (indices[i] == kGone)
            continue;
        const unsigned lowered = indices[i] - removedBelow[indices[i]];
        if (lowered != indices[i])
            m_entries[i]->SetIndex(lowered);
        m_nextIndex = std::max(m_nextIndex, lowered + 1);
    }
}

int DMDataFile::Save(const char* path)
{
    return SaveObserved(path, nullptr, nullptr);
}

int DMDataFile::SaveObserved(const char* path, DMSaveObserver observer, void* context)
{
    tomelens::archive::ClearSystemError();
    if (path) {
        m_path = path;
        m_bChecked = false;
    }
    if (m_path.empty())
        return DMResult::NoPath;
    return DMDataFileInternals::Save(*this, observer, context);
}

int DMDataFile::GetSourceStamp(DMFileStamp& stamp) const
{
    if (!m_pSource || !tomelens::archive::StampOf(m_pSource->file.Get(), stamp))
        return DMResult::CannotOpen;
    return DMResult::Success;
}
