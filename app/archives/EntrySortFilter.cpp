#include "archives/EntrySortFilter.h"

#include "archives/EntryTableModel.h"

namespace {

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

EntrySortFilter::EntrySortFilter(EntryTableModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), m_pSource(source)
{
    setSourceModel(source);
    setDynamicSortFilter(true);
    sort(EntryTableModel::NameColumn, Qt::AscendingOrder);
}

void EntrySortFilter::SetPattern(const QString& pattern)
{
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    m_folded = pattern.toCaseFolded();
    m_bWildcard = pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?'));
    // One layout change for the whole list: filtering row ranges in and out one
    // signal at a time makes the view redo its rows for every range.
    invalidate();
}

void EntrySortFilter::sort(int column, Qt::SortOrder order)
{
    // The model keeps its rows in the list order of names, so that order is
    // the model's own and needs no sorting here.
    if (column == EntryTableModel::NameColumn && order == Qt::AscendingOrder)
        column = -1;
    QSortFilterProxyModel::sort(column, order);
}

bool EntrySortFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (m_pattern.isEmpty())
        return true;
    if (m_bWildcard)
        return WildcardMatch(m_pSource->FoldedNameAt(sourceRow), m_folded);
    return m_pSource->FoldedNameAt(sourceRow).contains(m_folded);
}

bool EntrySortFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const EntryTableModel::Row& a = m_pSource->RowAt(left.row());
    const EntryTableModel::Row& b = m_pSource->RowAt(right.row());
    int order = 0;
    switch (left.column()) {
    case EntryTableModel::SizeColumn: order = Compare(a.size, b.size); break;
    case EntryTableModel::PackedColumn: order = Compare(a.packed, b.packed); break;
    case EntryTableModel::RatioColumn:
        // packed/size compared without division: a.packed*b.size vs b.packed*a.size
        order = Compare(static_cast<quint64>(a.packed) * b.size, static_cast<quint64>(b.packed) * a.size);
        break;
    case EntryTableModel::CheckSumColumn: order = Compare(a.checkSum, b.checkSum); break;
    default: break;
    }
    if (order == 0)
        order = EntryTableModel::CompareNames(a, b);
    return order < 0;
}

EntrySortFilter::Totals EntrySortFilter::ShownTotals() const
{
    Totals totals;
    // Without a pattern every row is shown: count them without mapping each one.
    const bool all = m_pattern.isEmpty();
    const int rows = all ? m_pSource->rowCount() : rowCount();
    for (int row = 0; row < rows; ++row) {
        const EntryTableModel::Row& entry = m_pSource->RowAt(all ? row : mapToSource(index(row, 0)).row());
        if (entry.position < 0)
            continue;
        ++totals.entries;
        totals.size += entry.size;
        totals.packed += entry.packed;
    }
    return totals;
}

QString EntrySortFilter::TotalsText(const Totals& totals)
{
    return QStringLiteral("%1 %2, %3, %4 packed")
        .arg(totals.entries)
        .arg(totals.entries == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
        .arg(EntryTableModel::SizeText(totals.size), EntryTableModel::SizeText(totals.packed));
}
