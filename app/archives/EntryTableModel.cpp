#include "archives/EntryTableModel.h"

#include "archives/EntryNames.h"
#include "archive/DMDataFile.h"
#include "ListOrder.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <unordered_set>

EntryTableModel::Row EntryTableModel::MakeRow(const DMDataFileEntry& entry, int position)
{
    Row row;
    row.position = position;
    row.name = QByteArray(entry.GetName());
    row.size = entry.GetLength();
    row.packed = entry.GetPackedLength();
    row.checkSum = entry.GetCheckSum();
    return row;
}

int EntryTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int EntryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EntryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = RowAt(index.row());
    if (role == PositionRole)
        return row.position;
    if (role == Qt::TextAlignmentRole && index.column() != NameColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const bool placeholder = row.position < 0;
    switch (index.column()) {
    case NameColumn: return NameAt(index.row());
    case SizeColumn: return placeholder ? QString() : QString::number(row.size);
    case PackedColumn: return placeholder ? QString() : QString::number(row.packed);
    case RatioColumn: return placeholder ? QString() : RatioText(row.size, row.packed);
    case CheckSumColumn: return placeholder ? QString() : CheckSumText(row.checkSum);
    default: return {};
    }
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return QStringLiteral("Name");
    case SizeColumn: return QStringLiteral("Size");
    case PackedColumn: return QStringLiteral("Packed");
    case RatioColumn: return QStringLiteral("Ratio");
    case CheckSumColumn: return QStringLiteral("Checksum");
    default: return {};
    }
}

Qt::ItemFlags EntryTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index) | Qt::ItemIsDropEnabled;
    if (index.isValid() && RowAt(index.row()).position >= 0)
        result |= Qt::ItemIsDragEnabled;
    return result;
}

void EntryTableModel::Fill(DMDataFile& file)
{
    beginResetModel();
    m_rows.clear();
    m_folded.clear();
    m_placeholder.clear();
    const unsigned count = file.GetNumEntries();
    m_rows.reserve(count);
    for (unsigned position = 0; position < count; ++position) {
        if (const DMDataFileEntry* entry = file.GetEntry(position); entry && !entry->Deleted())
            m_rows.push_back(MakeRow(*entry, static_cast<int>(position)));
    }
    SortByName();
    RebuildIndex();
    endResetModel();
}

namespace {

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// A name's sort key: its first 16 folded bytes as two big-endian numbers (zero
// padded; names hold no NUL), so most comparisons are two integer compares
// right in the sorted array, and the rest of the folded name for the others.
struct NameKey {
    quint64 head[2] = {0, 0};
    std::string_view tail;
    int row = 0;
};

bool KeyLess(const NameKey& a, const NameKey& b)
{
    if (a.head[0] != b.head[0])
        return a.head[0] < b.head[0];
    if (a.head[1] != b.head[1])
        return a.head[1] < b.head[1];
    if (const int tail = a.tail.compare(b.tail); tail != 0)
        return tail < 0;
    return a.row < b.row;  // rows are made in position order
}

}  // namespace

void EntryTableModel::SortByName()
{
    // The list order is byte order once ASCII capitals are folded.
    size_t total = 0;
    for (const Row& row : m_rows)
        total += static_cast<size_t>(row.name.size());
    std::string folded(total, '\0');
    std::vector<NameKey> keys(m_rows.size());
    size_t at = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const QByteArray& name = m_rows[i].name;
        const auto length = static_cast<size_t>(name.size());
        NameKey& key = keys[i];
        for (size_t b = 0; b < length; ++b) {
            const char c = FoldAscii(name[static_cast<qsizetype>(b)]);
            folded[at + b] = c;
            if (b < 16)
                key.head[b / 8] |= static_cast<quint64>(static_cast<unsigned char>(c)) << (56 - 8 * (b % 8));
        }
        key.tail = length > 16 ? std::string_view(folded.data() + at + 16, length - 16) : std::string_view();
        key.row = static_cast<int>(i);
        at += length;
    }
    std::sort(keys.begin(), keys.end(), KeyLess);
    // The rows are kept in name order: the sorted view then starts from sorted
    // rows, and the rank is simply the row.
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (size_t rank = 0; rank < keys.size(); ++rank) {
        sorted.push_back(std::move(m_rows[static_cast<size_t>(keys[rank].row)]));
        sorted.back().nameRank = static_cast<int>(rank);
    }
    m_rows = std::move(sorted);
}

int EntryTableModel::CompareNames(const Row& a, const Row& b)
{
    const auto compare = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (a.nameRank >= 0 && b.nameRank >= 0)
        return compare(a.nameRank, b.nameRank);
    const int order = tomelens::core::CompareListText(std::string_view(a.name.constData(), static_cast<size_t>(a.name.size())),
                                                      std::string_view(b.name.constData(), static_cast<size_t>(b.name.size())));
    return order != 0 ? order : compare(a.position, b.position);
}

void EntryTableModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_folded.clear();
    m_placeholder.clear();
    m_rowOfPosition.clear();
    endResetModel();
}

void EntryTableModel::SetPlaceholder(const QString& text)
{
    beginResetModel();
    m_rows.clear();
    m_folded.clear();
    m_rowOfPosition.clear();
    m_placeholder = text;
    m_rows.push_back(Row());
    endResetModel();
}

int EntryTableModel::PlaceFor(const Row& row) const
{
    const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                                     [](const Row& a, const Row& b) { return CompareNames(a, b) < 0; });
    return static_cast<int>(at - m_rows.begin());
}

int EntryTableModel::Add(const DMDataFileEntry& entry, int position)
{
    Row fresh = MakeRow(entry, position);
    const int row = PlaceFor(fresh);
    beginInsertRows(QModelIndex(), row, row);
    KeepFoldedAligned();
    if (!m_folded.empty())  // folded names made so far stay with their rows
        m_folded.insert(m_folded.begin() + row, QString());
    m_rows.insert(m_rows.begin() + row, std::move(fresh));
    RebuildIndex();
    endInsertRows();
    return row;
}

void EntryTableModel::AddMany(const std::vector<std::pair<const DMDataFileEntry*, int>>& entries)
{
    if (entries.empty())
        return;
    std::vector<Row> fresh;
    fresh.reserve(entries.size());
    for (const auto& [entry, position] : entries)
        fresh.push_back(MakeRow(*entry, position));
    const auto less = [](const Row& a, const Row& b) { return CompareNames(a, b) < 0; };
    std::sort(fresh.begin(), fresh.end(), less);
    // Each new row goes in at its place in name order; a run of new rows that
    // land together is one insertion. Later rows land after earlier ones, so
    // the search starts where the last one went in.
    size_t next = 0;
    auto from = m_rows.begin();
    while (next < fresh.size()) {
        from = std::upper_bound(from, m_rows.end(), fresh[next], less);
        const auto row = from - m_rows.begin();
        size_t end = next + 1;
        while (end < fresh.size() && (from == m_rows.end() || less(fresh[end], *from)))
            ++end;
        beginInsertRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row + static_cast<std::ptrdiff_t>(end - next)) - 1);
        KeepFoldedAligned();
        if (!m_folded.empty())  // folded names made so far stay with their rows
            m_folded.insert(m_folded.begin() + row, end - next, QString());
        from = m_rows.insert(from, std::make_move_iterator(fresh.begin() + static_cast<std::ptrdiff_t>(next)),
                             std::make_move_iterator(fresh.begin() + static_cast<std::ptrdiff_t>(end)));
        from += static_cast<std::ptrdiff_t>(end - next);
        RebuildIndex();
        endInsertRows();
        next = end;
    }
}

void EntryTableModel::Refresh(const DMDataFileEntry& entry, int position)
{
    const int row = RowOf(position);
    if (row < 0)
        return;
    Row fresh = MakeRow(entry, position);
    Row& kept = m_rows[static_cast<size_t>(row)];
    if (fresh.name == kept.name) {
        fresh.nameRank = kept.nameRank;  // its place among the names is unchanged
        kept = std::move(fresh);
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
        return;
    }
    // A new name: the row moves to its place in name order among the others.
    const auto other = [&](int i) -> const Row& { return m_rows[static_cast<size_t>(i < row ? i : i + 1)]; };
    int low = 0, high = rowCount() - 1;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (CompareNames(fresh, other(middle)) < 0)
            high = middle;
        else
            low = middle + 1;
    }
    const int place = low;
    m_folded.clear();
    if (place != row)
        beginMoveRows(QModelIndex(), row, row, QModelIndex(), place > row ? place + 1 : place);
    m_rows.erase(m_rows.begin() + row);
    m_rows.insert(m_rows.begin() + place, std::move(fresh));
    RebuildIndex();
    if (place != row)
        endMoveRows();
    emit dataChanged(index(place, 0), index(place, ColumnCount - 1));
}

void EntryTableModel::Remove(const std::vector<int>& positions)
{
    if (positions.empty())
        return;
    if (positions.size() == 1) {
        const int row = RowOf(positions.front());
        if (row < 0)
            return;
        beginRemoveRows(QModelIndex(), row, row);
        m_rows.erase(m_rows.begin() + row);
        if (static_cast<size_t>(row) < m_folded.size())
            m_folded.erase(m_folded.begin() + row);
        RebuildIndex();
        endRemoveRows();
        return;
    }
    // Many rows at once: one reset is cheaper for the views than a signal per row.
    const std::unordered_set<int> gone(positions.begin(), positions.end());
    beginResetModel();
    m_folded.clear();
    m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(),
                                [&](const Row& row) { return gone.count(row.position) != 0; }),
                 m_rows.end());
    RebuildIndex();
    endResetModel();
}

void EntryTableModel::KeepFoldedAligned()
{
    // The folded names are a cache by row: when they no longer line up with
    // the rows they are dropped and made again on use.
    if (m_folded.size() != m_rows.size())
        m_folded.clear();
}

QString EntryTableModel::NameAt(int row) const
{
    const Row& entry = RowAt(row);
    return entry.position < 0 ? m_placeholder : EntryDisplayName(entry.name.constData());
}

const QString& EntryTableModel::FoldedNameAt(int row) const
{
    if (m_folded.size() != m_rows.size())
        m_folded.resize(m_rows.size());
    QString& folded = m_folded[static_cast<size_t>(row)];
    // A name folds to at least one character unless it is empty, which needs no folding.
    if (folded.isEmpty())
        folded = FoldName(row);
    return folded;
}

QString EntryTableModel::FoldName(int row) const
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
    const Row& entry = RowAt(row);
    if (entry.position < 0)
        return m_placeholder.toCaseFolded();
    QString folded(entry.name.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (const char byte : entry.name) {
        const char16_t c = kFolded[static_cast<unsigned char>(byte)];
        if (c == u'\0')
            return NameAt(row).toCaseFolded();
        *out++ = QChar(c);
    }
    return folded;
}

int EntryTableModel::RowOf(int position) const
{
    if (position < 0 || static_cast<size_t>(position) >= m_rowOfPosition.size())
        return -1;
    return m_rowOfPosition[static_cast<size_t>(position)];
}

void EntryTableModel::RebuildIndex()
{
    m_rowOfPosition.assign(m_rowOfPosition.size(), -1);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        const int position = m_rows[row].position;
        if (position < 0)
            continue;
        if (static_cast<size_t>(position) >= m_rowOfPosition.size())
            m_rowOfPosition.resize(static_cast<size_t>(position) + 1, -1);
        m_rowOfPosition[static_cast<size_t>(position)] = static_cast<int>(row);
    }
}

QString EntryTableModel::SizeText(double bytes)
{
    static const char* const kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024.0 && unit < 4) {
        bytes /= 1024.0;
        ++unit;
    }
    if (unit == 0)
        return QStringLiteral("%1 bytes").arg(static_cast<qulonglong>(bytes));
    return QStringLiteral("%1 %2").arg(bytes, 0, 'f', 1).arg(QLatin1String(kUnits[unit]));
}

QString EntryTableModel::RatioText(unsigned size, unsigned packed)
{
    if (size == 0)
        return QStringLiteral("-");
    return QStringLiteral("%1%").arg(100.0 * packed / size, 0, 'f', 1);
}

QString EntryTableModel::CheckSumText(unsigned checkSum)
{
    return QStringLiteral("%1").arg(checkSum, 8, 16, QLatin1Char('0'));
}
