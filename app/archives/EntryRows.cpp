// The rows of the entry table: read from the container in parallel parts,
// ranked by name, and kept by number until the next fill.
#include "archives/EntryRows.h"

#include "archives/EntryNames.h"
#include "archive/DMDataFile.h"
#include "ListOrder.h"
#include "ParallelFor.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Lists of at least twice this many entries are read on several threads.
constexpr unsigned kRowsPerPart = 16384;
constexpr size_t kNameBlockSize = 64 * 1024;

}  // namespace

const char* NameStore::Add(std::string_view name)
{
    if (name.size() + 1 > m_room) {
        m_room = std::max(kNameBlockSize, name.size() + 1);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(m_room));
        m_next = m_blocks.back().get();
    }
    char* copy = m_next;
    std::memcpy(copy, name.data(), name.size());
    copy[name.size()] = '\0';
    m_next += name.size() + 1;
    m_room -= name.size() + 1;
    return copy;
}

void NameStore::Clear()
{
    m_blocks.clear();
    m_next = nullptr;
    m_room = 0;
}

void NameStore::Take(NameStore&& other)
{
    // The other store's last block may have room left: it stays unused.
    for (auto& block : other.m_blocks)
        m_blocks.push_back(std::move(block));
    other.Clear();
}

void EntryRows::Reset()
{
    m_rows.clear();
    m_names.Clear();
    m_rowOfPosition.clear();
    m_folded.clear();
    m_bAllRanked = true;
}

std::vector<int> EntryRows::Fill(DMDataFile& file)
{
    Reset();
    const unsigned count = file.GetNumEntries();
    m_rows.resize(count);  // unlisted until made
    m_rowOfPosition.assign(count, -1);
    // Big lists are read in one part per core, each into its own range of
    // rows and its own name store: the container is only read meanwhile.
    const size_t partCount = count >= kRowsPerPart * 2 ? tomelens::core::WorkerThreadCount() : 1;
    std::vector<NameStore> names(partCount);
    tomelens::core::ParallelFor(partCount, [&](size_t part) {
        const auto from = static_cast<unsigned>(std::uint64_t(count) * part / partCount);
        const auto to = static_cast<unsigned>(std::uint64_t(count) * (part + 1) / partCount);
        for (unsigned position = from; position < to; ++position) {
            if (const DMDataFileEntry* entry = file.GetEntry(position); entry && !entry->Deleted()) {
                m_rows[position] = MakeRow(*entry, static_cast<int>(position), names[part]);
                m_rowOfPosition[position] = static_cast<int>(position);
            }
        }
    }, 1);
    for (NameStore& store : names)
        m_names.Take(std::move(store));
    std::vector<int> listed;
    listed.reserve(count);
    for (unsigned position = 0; position < count; ++position) {
        if (m_rowOfPosition[position] >= 0)
            listed.push_back(static_cast<int>(position));
    }
    return Rank(listed);
}

std::vector<int> EntryRows::Rank(const std::vector<int>& rowsByPosition)
{
    std::vector<std::string_view> names;
    names.reserve(rowsByPosition.size());
    for (const int row : rowsByPosition)
        names.push_back(NameBytes(row));
    // Equal names keep the order given, which is position order.
    const std::vector<std::uint32_t> order = tomelens::core::ListOrderOf(names);
    std::vector<int> rows(order.size());
    for (size_t rank = 0; rank < order.size(); ++rank) {
        rows[rank] = rowsByPosition[order[rank]];
        m_rows[static_cast<size_t>(rows[rank])].nameRank = static_cast<int>(rank);
    }
    m_bAllRanked = true;
    return rows;
}

void EntryRows::RankAll()
{
    if (m_bAllRanked)
        return;
    std::vector<int> rows;
    rows.reserve(m_rows.size());
    for (const int row : m_rowOfPosition) {
        if (row >= 0)
            rows.push_back(row);
    }
    Rank(rows);
}

EntryRows::Row EntryRows::MakeRow(const DMDataFileEntry& entry, int position, NameStore& names)
{
    Row row;
    row.position = position;
    const std::string_view name(entry.GetName());
    row.name = names.Add(name);
    row.nameLength = static_cast<int>(name.size());
    row.size = entry.GetLength();
    row.packed = entry.GetPackedLength();
    row.checkSum = entry.GetCheckSum();
    return row;
}

int EntryRows::Append(const DMDataFileEntry& entry, int position)
{
    const int row = Count();
    m_rows.push_back(MakeRow(entry, position, m_names));
    m_bAllRanked = false;
    if (static_cast<size_t>(position) >= m_rowOfPosition.size())
        m_rowOfPosition.resize(static_cast<size_t>(position) + 1, -1);
    m_rowOfPosition[static_cast<size_t>(position)] = row;
    return row;
}

void EntryRows::Update(int row, const DMDataFileEntry& entry)
{
    Row& kept = m_rows[static_cast<size_t>(row)];
    if (NameBytes(row) == std::string_view(entry.GetName())) {
        kept.size = entry.GetLength();
        kept.packed = entry.GetPackedLength();
        kept.checkSum = entry.GetCheckSum();
        return;
    }
    kept = MakeRow(entry, kept.position, m_names);  // a new name has no rank among the others
    m_bAllRanked = false;
    if (static_cast<size_t>(row) < m_folded.size())
        m_folded[static_cast<size_t>(row)].clear();
}

void EntryRows::Drop(int row)
{
    Row& dropped = m_rows[static_cast<size_t>(row)];
    if (dropped.position < 0)
        return;
    m_rowOfPosition[static_cast<size_t>(dropped.position)] = -1;
    dropped.position = -1;
}

int EntryRows::RowOf(int position) const
{
    if (position < 0 || static_cast<size_t>(position) >= m_rowOfPosition.size())
        return -1;
    return m_rowOfPosition[static_cast<size_t>(position)];
}

std::string_view EntryRows::NameBytes(int row) const
{
    const Row& entry = m_rows[static_cast<size_t>(row)];
    return {entry.name, static_cast<size_t>(entry.nameLength)};
}

QString EntryRows::DisplayName(int row) const
{
    return EntryDisplayName(m_rows[static_cast<size_t>(row)].name);
}

int EntryRows::CompareNames(int a, int b) const
{
    const auto compare = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    const Row& first = (*this)[a];
    const Row& second = (*this)[b];
    if (first.nameRank >= 0 && second.nameRank >= 0)
        return compare(first.nameRank, second.nameRank);
    const int order = tomelens::core::CompareListText(NameBytes(a), NameBytes(b));
    return order != 0 ? order : compare(first.position, second.position);
}

const QString& EntryRows::FoldedName(int row) const
{
    if (m_folded.size() != m_rows.size())
        m_folded.resize(m_rows.size());
    QString& folded = m_folded[static_cast<size_t>(row)];
    // A name folds to at least one character unless it is empty, which needs no folding.
    if (folded.isEmpty())
        folded = FoldName(row);
    return folded;
}

QString EntryRows::FoldName(int row) const
{
    // Each stored byte shows as one character, so a name folds byte by byte
    // through a table made once, without decoding it first; the few bytes
    // whose character folds to more than one take the long way.
    static const std::array<char16_t, 256> kFolded = [] {
        std::array<char16_t, 256> table{};
        for (int byte = 1; byte < 256; ++byte) {
            const char name[2] = {static_cast<char>(byte), '\0'};
            const QString folded = EntryDisplayName(name).toCaseFolded();
            table[static_cast<size_t>(byte)] = folded.size() == 1 ? folded.front().unicode() : u'\0';
        }
        return table;
    }();
    const std::string_view name = NameBytes(row);
    QString folded(static_cast<qsizetype>(name.size()), Qt::Uninitialized);
    QChar* out = folded.data();
    for (const char byte : name) {
        const char16_t c = kFolded[static_cast<unsigned char>(byte)];
        if (c == u'\0')
            return DisplayName(row).toCaseFolded();
        *out++ = QChar(c);
    }
    return folded;
}
