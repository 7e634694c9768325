#pragma once

#include "archives/EntryRows.h"

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class DMDataFile;
class DMDataFileEntry;

// The open archive's entries as a table: name, size, packed size, ratio and
// checksum, sorted by the chosen column and narrowed by a filter. The model
// keeps its own order of the rows and the part of it the filter lets through,
// so a list of 100,000 entries opens, sorts and filters without a proxy model
// mapping every row first.
class EntryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, PackedColumn, RatioColumn, CheckSumColumn, ColumnCount };
    // Qt::UserRole carries the line's entry position (-1 for a placeholder line).
    static constexpr int PositionRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    // Sorts by a column; equal values keep the list order of names.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Lists every entry of the container in one reset.
    void Fill(DMDataFile& file);
    void Clear();
    // A single line that stands for no entry (position -1).
    void SetPlaceholder(const QString& text);
    const QString& Placeholder() const { return m_placeholder; }
    // Lists the entry at this position in its place.
    void Add(const DMDataFileEntry& entry, int position);
    // Lists many entries, one insertion per run of lines that land together.
    void AddMany(const std::vector<std::pair<const DMDataFileEntry*, int>>& entries);
    // Reads the line of this position again from its entry, moving it when
    // its place in the order or in the filter changes.
    void Refresh(const DMDataFileEntry& entry, int position);
    // Drops the lines of these positions.
    void Remove(const std::vector<int>& positions);

    // Shows only the entries whose name contains the text or matches it as a
    // wildcard ("*.bmp"), ignoring case; an empty pattern shows all.
    void SetPattern(const QString& pattern);
    const QString& Pattern() const { return m_pattern; }

    // Marks from a comparison with another archive, by position: the entry is
    // new here (the other has none of its name) or changed. With onlyMarked,
    // only marked lines are shown. Opening or clearing the list drops them.
    enum class Mark : unsigned char { None, New, Changed };
    void SetMarks(std::vector<Mark> byPosition, bool onlyMarked);
    Mark MarkOf(int position) const;
    bool HasMarks() const { return !m_marks.empty(); }
    bool OnlyMarked() const { return m_bOnlyMarked; }

    // The line showing this position; -1 when none does.
    int LineOf(int position) const;
    // Every listed position, shown or filtered out, in data order.
    std::vector<int> ListedPositions() const;

    // Count and total sizes of the lines shown, placeholder lines excluded.
    struct Totals {
        qsizetype entries = 0;
        double size = 0;
        double packed = 0;
    };
    Totals ShownTotals() const;
    // "342 entries, 81.2 MiB, 23.4 MiB packed"
    static QString TotalsText(const Totals& totals);

    // "1.2 KiB"-style size, and the ratio of packed to plain size as a percentage.
    static QString SizeText(double bytes);
    static QString RatioText(unsigned size, unsigned packed);
    // The checksum as eight hex digits, the way the command-line tool lists it.
    static QString CheckSumText(unsigned checkSum);

private:
    // True when row a goes before row b in the chosen order.
    bool Before(int a, int b) const;
    bool Accepts(int row) const;
    // Sorts the order, then takes from it what the filter lets through.
    void SortOrder();
    void TakeShown();
    // Changes the lines within one layout change; lines that stay keep their
    // selection wherever they move to.
    void Relayout(const std::function<void()>& change, LayoutChangeHint hint = NoLayoutChangeHint);
    int LineOfRow(int row) const;
    void ResetTo(bool placeholder, const QString& text);

    EntryRows m_rows;
    std::vector<int> m_order;  // every listed row, in the chosen order
    std::vector<int> m_shown;  // the lines: the rows of m_order the filter takes
    bool m_bPlaceholder = false;  // m_placeholder is the only line
    QString m_placeholder;
    int m_sortColumn = NameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_pattern;
    QString m_folded;  // * and ? match any characters here, separators included: names are not paths
    bool m_bWildcard = false;
    std::vector<Mark> m_marks;
    bool m_bOnlyMarked = false;
};
