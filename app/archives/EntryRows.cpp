#include "archives/EntryRows.h"

#include "archives/EntryNames.h"
#include "archive/DMDataFile.h"
#include "ListOrder.h"

#include <array>
#include <cstring>
#include <numeric>

void EntryRows::Reset()
{
    m_rows.clear();
    m_names.clear();
    m_rowOfPosition.clear();
    m_folded.clear();
    m_bAllRanked = true;
}

std::vector<int> EntryRows::Fill(DMDataFile& file)
{
    Reset();
    const unsigned count = file.GetNumEntries();
    m_rows.reserve(count);
    m_rowOfPosition.assign(count, -1);
    for (unsigned position = 0; position < count; ++position) {
        if (const DMDataFileEntry* entry = file.GetEntry(position); entry && !entry->Deleted()) {
            m_rowOfPosition[position] = Count();
            m_rows.push_back(MakeRow(*entry, static_cast<int>(position)));
        }
    }
    std::vector<int> rows(m_rows.size());
    std::iota(rows.begin(), rows.end(), 0);  // made in position order
    return Rank(rows);
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

EntryRows::Row EntryRows::MakeRow(const DMDataFileEntry& entry, int position)
{
    Row row;
    row.position = position;
    const char* name = entry.GetName();
    const size_t length = std::strlen(name);
    row.nameAt = static_cast<qsizetype>(m_names.size());
    row.nameLength = static_cast<int>(length);
    m_names.append(name, length + 1);
    row.size = entry.GetLength();
    row.packed = entry.GetPackedLength();
    row.checkSum = entry.GetCheckSum();
    return row;
}

int EntryRows::Append(const DMDataFileEntry& entry, int position)
{
    const int row = Count();
    m_rows.push_back(MakeRow(entry, position));
    m_bAllRanked = false;
    if (static_cast<size_t>(position) >= m_rowOfPosition.size())
        m_rowOfPosition.resize(static_cast<size_t>(position) + 1, -1);
    m_rowOfPosition[static_cast<size_t>(position)] = row;
    return row;
}

bool EntryRows::Update(int row, const DMDataFileEntry& entry)
{
    Row& kept = m_rows[static_cast<size_t>(row)];
    if (NameBytes(row) == std::string_view(entry.GetName())) {
        kept.size = entry.GetLength();
        kept.packed = entry.GetPackedLength();
        kept.checkSum = entry.GetCheckSum();
        return false;
    }
    kept = MakeRow(entry, kept.position);  // a new name has no rank among the others
    m_bAllRanked = false;
    if (static_cast<size_t>(row) < m_folded.size())
        m_folded[static_cast<size_t>(row)].clear();
    return true;
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

std::vector<int> EntryRows::ListedRows() const
{
    std::vector<int> rows;
    rows.reserve(m_rows.size());
    for (int row = 0; row < Count(); ++row) {
        if (Listed(row))
            rows.push_back(row);
    }
    return rows;
}

std::string_view EntryRows::NameBytes(int row) const
{
    const Row& entry = m_rows[static_cast<size_t>(row)];
    return {m_names.data() + entry.nameAt, static_cast<size_t>(entry.nameLength)};
}

QString EntryRows::DisplayName(int row) const
{
    return EntryDisplayName(m_names.data() + m_rows[static_cast<size_t>(row)].nameAt);
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
