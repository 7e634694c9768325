#pragma once

#include <QSortFilterProxyModel>

class EntryTableModel;

// Sorts the entry table by the clicked column with the keys the model computed
// once, and shows only the entries whose name contains the filter text or
// matches it as a wildcard ("*.bmp"), ignoring case. Ties keep the list order
// of names, so the default is the program's list order.
class EntrySortFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit EntrySortFilter(EntryTableModel* source, QObject* parent = nullptr);

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void SetPattern(const QString& pattern);
    const QString& Pattern() const { return m_pattern; }

    // Count and total sizes of the rows shown, placeholder lines excluded.
    struct Totals {
        qsizetype entries = 0;
        double size = 0;
        double packed = 0;
    };
    Totals ShownTotals() const;
    // "342 entries, 81.2 MiB, 23.4 MiB packed"
    static QString TotalsText(const Totals& totals);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const EntryTableModel* m_pSource;
    QString m_pattern;
    QString m_folded;  // * and ? match any characters here, separators included: names are not paths
    bool m_bWildcard = false;
};
