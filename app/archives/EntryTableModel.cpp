// The entry table: the lines the window shows, in the chosen order and
// through the filter, and the signals that keep the views in step.
#include "archives/EntryTableModel.h"

#include <QColor>

#include "archive/DMDataFile.h"

#include <algorithm>
#include <iterator>

namespace {

// More scattered insertions than this at once are one layout change: each
// insertion on its own makes the views redo their rows.
constexpr size_t kMostInsertionRuns = 32;

// True when the whole text matches the pattern, where * stands for any run
// of characters and ? for one. Both are already case-folded. On a mismatch
// after a *, that * takes one more character and the match resumes.
bool WildcardMatch(QStringView text, QStringView pattern)
{
    qsizetype t = 0, p = 0, starAt = -1, resumeAt = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = t;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (starAt >= 0) {
            p = starAt + 1;
            t = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

template <typename T>
int Compare(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int EntryTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_bPlaceholder ? 1 : static_cast<int>(m_shown.size());
}

int EntryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EntryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() != NameColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (m_bPlaceholder) {
        if (role == PositionRole)
            return -1;
        if (role == Qt::DisplayRole)
            return index.column() == NameColumn ? m_placeholder : QString();
        return {};
    }
    const int row = m_shown[static_cast<size_t>(index.row())];
    const EntryRows::Row& entry = m_rows[row];
    if (role == PositionRole)
        return entry.position;
    const Mark mark = MarkOf(entry.position);
    if (role == Qt::BackgroundRole && mark != Mark::None)
        return QColor(mark == Mark::New ? QColor(0xd8, 0xf5, 0xd0) : QColor(0xff, 0xef, 0xb8));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        if (mark != Mark::None)
            return (mark == Mark::New ? QStringLiteral("[new] ") : QStringLiteral("[changed] ")) +
                   m_rows.DisplayName(row);
        return m_rows.DisplayName(row);
    case SizeColumn: return QString::number(entry.size);
    case PackedColumn: return QString::number(entry.packed);
    case RatioColumn: return RatioText(entry.size, entry.packed);
    case CheckSumColumn: return CheckSumText(entry.checkSum);
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
    if (index.isValid() && !m_bPlaceholder)
        result |= Qt::ItemIsDragEnabled;
    return result;
}

bool EntryTableModel::Before(int a, int b) const
{
    const EntryRows::Row& x = m_rows[a];
    const EntryRows::Row& y = m_rows[b];
    int order = 0;
    switch (m_sortColumn) {
    case SizeColumn: order = Compare(x.size, y.size); break;
    case PackedColumn: order = Compare(x.packed, y.packed); break;
    case RatioColumn:
        // packed/size compared without division: x.packed*y.size vs y.packed*x.size
        order = Compare(static_cast<quint64>(x.packed) * y.size, static_cast<quint64>(y.packed) * x.size);
        break;
    case CheckSumColumn: order = Compare(x.checkSum, y.checkSum); break;
    default: break;
    }
    if (order == 0)
        order = m_rows.CompareNames(a, b);
    return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

bool EntryTableModel::Accepts(int row) const
{
    if (m_bOnlyMarked && MarkOf(m_rows[row].position) == Mark::None)
        return false;
    if (m_pattern.isEmpty())
        return true;
    if (m_bWildcard)
        return WildcardMatch(m_rows.FoldedName(row), m_folded);
    return m_rows.FoldedName(row).contains(m_folded);
}

void EntryTableModel::SortOrder()
{
    m_rows.RankAll();
    if (m_sortColumn == RatioColumn) {
        std::sort(m_order.begin(), m_order.end(), [this](int a, int b) { return Before(a, b); });
        return;
    }
    // The column's value and the name's rank in one number: the same order as
    // Before, sorted as plain integers.
    std::vector<std::pair<quint64, int>> keyed;
    keyed.reserve(m_order.size());
    for (const int row : m_order) {
        const EntryRows::Row& entry = m_rows[row];
        quint64 value = 0;
        switch (m_sortColumn) {
        case SizeColumn: value = entry.size; break;
        case PackedColumn: value = entry.packed; break;
        case CheckSumColumn: value = entry.checkSum; break;
        default: break;
        }
        keyed.emplace_back(value << 32 | static_cast<quint32>(entry.nameRank), row);
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (m_sortOrder == Qt::DescendingOrder)
        std::reverse(keyed.begin(), keyed.end());
    for (size_t i = 0; i < keyed.size(); ++i)
        m_order[i] = keyed[i].second;
}

void EntryTableModel::TakeShown()
{
    if (m_pattern.isEmpty() && !m_bOnlyMarked) {
        m_shown = m_order;
        return;
    }
    m_shown.clear();
    for (const int row : m_order) {
        if (Accepts(row))
            m_shown.push_back(row);
    }
}

void EntryTableModel::Relayout(const std::function<void()>& change, LayoutChangeHint hint)
{
    emit layoutAboutToBeChanged({}, hint);
    const std::vector<int> before = m_shown;
    change();
    // Lines that stay keep their selection and focus wherever they move to.
    const QModelIndexList from = persistentIndexList();
    if (!from.isEmpty()) {
        std::vector<int> lineOfRow(static_cast<size_t>(m_rows.Count()), -1);
        for (size_t line = 0; line < m_shown.size(); ++line)
            lineOfRow[static_cast<size_t>(m_shown[line])] = static_cast<int>(line);
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& index : from) {
            const auto old = static_cast<size_t>(index.row());
            const int line = old < before.size() ? lineOfRow[static_cast<size_t>(before[old])] : -1;
            to.append(line >= 0 ? this->index(line, index.column()) : QModelIndex());
        }
        changePersistentIndexList(from, to);
    }
    emit layoutChanged({}, hint);
}

void EntryTableModel::sort(int column, Qt::SortOrder order)
{
    // No column is the model's own order: names, ascending.
    m_sortColumn = column >= 0 && column < ColumnCount ? column : NameColumn;
    m_sortOrder = column >= 0 ? order : Qt::AscendingOrder;
    if (m_bPlaceholder)
        return;
    Relayout([this] {
        SortOrder();
        TakeShown();
    }, VerticalSortHint);
}

void EntryTableModel::SetPattern(const QString& pattern)
{
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    m_folded = pattern.toCaseFolded();
    m_bWildcard = pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?'));
    if (m_bPlaceholder)
        return;
    Relayout([this] { TakeShown(); });
}

void EntryTableModel::SetMarks(std::vector<Mark> byPosition, bool onlyMarked)
{
    m_marks = std::move(byPosition);
    m_bOnlyMarked = onlyMarked && !m_marks.empty();
    if (m_bPlaceholder)
        return;
    Relayout([this] { TakeShown(); });
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

EntryTableModel::Mark EntryTableModel::MarkOf(int position) const
{
    if (position < 0 || static_cast<size_t>(position) >= m_marks.size())
        return Mark::None;
    return m_marks[static_cast<size_t>(position)];
}

void EntryTableModel::Fill(DMDataFile& file)
{
    m_marks.clear();
    m_bOnlyMarked = false;
    beginResetModel();
    m_bPlaceholder = false;
    m_placeholder.clear();
    // The rows come in the list order of names, the default order.
    m_order = m_rows.Fill(file);
    if (m_sortColumn != NameColumn || m_sortOrder != Qt::AscendingOrder)
        SortOrder();
    TakeShown();
    endResetModel();
}

void EntryTableModel::ResetTo(bool placeholder, const QString& text)
{
    m_marks.clear();
    m_bOnlyMarked = false;
    beginResetModel();
    m_rows.Reset();
    m_order.clear();
    m_shown.clear();
    m_bPlaceholder = placeholder;
    m_placeholder = text;
    endResetModel();
}

void EntryTableModel::Clear()
{
    ResetTo(false, QString());
}

void EntryTableModel::SetPlaceholder(const QString& text)
{
    ResetTo(true, text);
}

void EntryTableModel::Add(const DMDataFileEntry& entry, int position)
{
    if (m_bPlaceholder)
        Clear();
    const int row = m_rows.Append(entry, position);
    const auto before = [this](int a, int b) { return Before(a, b); };
    m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), row, before), row);
    if (!Accepts(row))
        return;
    const auto at = std::upper_bound(m_shown.begin(), m_shown.end(), row, before);
    const int line = static_cast<int>(at - m_shown.begin());
    beginInsertRows(QModelIndex(), line, line);
    m_shown.insert(at, row);
    endInsertRows();
}

void EntryTableModel::AddMany(const std::vector<std::pair<const DMDataFileEntry*, int>>& entries)
{
    if (entries.empty())
        return;
    if (m_bPlaceholder)
        Clear();
    const auto before = [this](int a, int b) { return Before(a, b); };
    std::vector<int> fresh;
    fresh.reserve(entries.size());
    for (const auto& [entry, position] : entries)
        fresh.push_back(m_rows.Append(*entry, position));
    std::sort(fresh.begin(), fresh.end(), before);
    std::vector<int> merged;
    merged.reserve(m_order.size() + fresh.size());
    std::merge(m_order.begin(), m_order.end(), fresh.begin(), fresh.end(), std::back_inserter(merged), before);
    m_order.swap(merged);

    std::vector<int> taken;
    std::vector<int> lines;  // where each taken row goes in among the current lines
    for (const int row : fresh) {
        if (!Accepts(row))
            continue;
        taken.push_back(row);
        lines.push_back(static_cast<int>(std::upper_bound(m_shown.begin(), m_shown.end(), row, before) - m_shown.begin()));
    }
    if (taken.empty())
        return;
    size_t runs = 1;
    for (size_t i = 1; i < lines.size(); ++i)
        runs += lines[i] != lines[i - 1] ? 1 : 0;
    if (runs > kMostInsertionRuns) {
        Relayout([&] {
            std::vector<int> all;
            all.reserve(m_shown.size() + taken.size());
            std::merge(m_shown.begin(), m_shown.end(), taken.begin(), taken.end(), std::back_inserter(all), before);
            m_shown.swap(all);
        });
        return;
    }
    // The last run first, so the places found for the earlier ones still hold.
    for (size_t end = taken.size(); end > 0;) {
        size_t start = end - 1;
        while (start > 0 && lines[start - 1] == lines[end - 1])
            --start;
        const int line = lines[start];
        beginInsertRows(QModelIndex(), line, line + static_cast<int>(end - start) - 1);
        m_shown.insert(m_shown.begin() + line, taken.begin() + static_cast<std::ptrdiff_t>(start),
                       taken.begin() + static_cast<std::ptrdiff_t>(end));
        endInsertRows();
        end = start;
    }
}

void EntryTableModel::Refresh(const DMDataFileEntry& entry, int position)
{
    const int row = m_rows.RowOf(position);
    if (row < 0)
        return;
    const int oldLine = LineOfRow(row);
    const auto before = [this](int a, int b) { return Before(a, b); };
    m_order.erase(std::find(m_order.begin(), m_order.end(), row));
    m_rows.Update(row, entry);
    m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), row, before), row);
    const bool take = Accepts(row);
    if (oldLine < 0) {
        if (take) {
            const auto at = std::upper_bound(m_shown.begin(), m_shown.end(), row, before);
            const int line = static_cast<int>(at - m_shown.begin());
            beginInsertRows(QModelIndex(), line, line);
            m_shown.insert(at, row);
            endInsertRows();
        }
        return;
    }
    if (!take) {
        beginRemoveRows(QModelIndex(), oldLine, oldLine);
        m_shown.erase(m_shown.begin() + oldLine);
        endRemoveRows();
        return;
    }
    // Its place among the other lines.
    const auto other = [&](int i) { return m_shown[static_cast<size_t>(i < oldLine ? i : i + 1)]; };
    int low = 0, high = static_cast<int>(m_shown.size()) - 1;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (Before(row, other(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    const int line = low;
    if (line != oldLine) {
        beginMoveRows(QModelIndex(), oldLine, oldLine, QModelIndex(), line > oldLine ? line + 1 : line);
        m_shown.erase(m_shown.begin() + oldLine);
        m_shown.insert(m_shown.begin() + line, row);
        endMoveRows();
    }
    emit dataChanged(index(line, 0), index(line, ColumnCount - 1));
}

void EntryTableModel::Remove(const std::vector<int>& positions)
{
    std::vector<int> rows;
    for (const int position : positions) {
        if (const int row = m_rows.RowOf(position); row >= 0)
            rows.push_back(row);
    }
    if (rows.empty())
        return;
    if (rows.size() == 1) {
        const int row = rows.front();
        const int line = LineOfRow(row);
        m_order.erase(std::find(m_order.begin(), m_order.end(), row));
        if (line >= 0)
            beginRemoveRows(QModelIndex(), line, line);
        m_rows.Drop(row);
        if (line >= 0) {
            m_shown.erase(m_shown.begin() + line);
            endRemoveRows();
        }
        return;
    }
    // Many lines at once: one layout change, each line dropped in one pass.
    Relayout([&] {
        for (const int row : rows)
            m_rows.Drop(row);
        const auto dropped = [this](int row) { return !m_rows.Listed(row); };
        m_order.erase(std::remove_if(m_order.begin(), m_order.end(), dropped), m_order.end());
        m_shown.erase(std::remove_if(m_shown.begin(), m_shown.end(), dropped), m_shown.end());
    });
}

std::vector<int> EntryTableModel::ListedPositions() const
{
    std::vector<int> positions;
    positions.reserve(m_order.size());
    for (const int row : m_order)
        positions.push_back(m_rows[row].position);
    std::sort(positions.begin(), positions.end());
    return positions;
}

EntryTableModel::Totals EntryTableModel::ShownTotals() const
{
    Totals totals;
    if (m_bPlaceholder)
        return totals;
    for (const int row : m_shown) {
        const EntryRows::Row& entry = m_rows[row];
        ++totals.entries;
        totals.size += entry.size;
        totals.packed += entry.packed;
    }
    return totals;
}

QString EntryTableModel::TotalsText(const Totals& totals)
{
    return QStringLiteral("%1 %2, %3, %4 packed")
        .arg(totals.entries)
        .arg(totals.entries == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
        .arg(SizeText(totals.size), SizeText(totals.packed));
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

int EntryTableModel::LineOfRow(int row) const
{
    if (m_bPlaceholder)
        return -1;
    const auto at = std::find(m_shown.begin(), m_shown.end(), row);
    return at == m_shown.end() ? -1 : static_cast<int>(at - m_shown.begin());
}

int EntryTableModel::LineOf(int position) const
{
    const int row = m_rows.RowOf(position);
    return row < 0 ? -1 : LineOfRow(row);
}
