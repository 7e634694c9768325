#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

class DMDataFile;
class DMDataFileEntry;

// The open archive's entries as a table: name, size, packed size, ratio and
// checksum. Each row keeps what the window shows and sorts by, read from the
// container once when the row is made or refreshed, so painting, sorting and
// filtering never go back to the container.
class EntryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, PackedColumn, RatioColumn, CheckSumColumn, ColumnCount };
    // Qt::UserRole carries the row's position (-1 for a placeholder line).
    static constexpr int PositionRole = Qt::UserRole;

    struct Row {
        int position = -1;
        QByteArray name;  // as the archive stores it; shown decoded, sorted in the list order
        unsigned size = 0;
        unsigned packed = 0;
        unsigned checkSum = 0;
        // Place in the list order of names among the rows listed together at
        // open (-1 for rows added or renamed since), so sorting compares numbers.
        int nameRank = -1;
    };
    // The list order of names, ties broken by position: a total order that
    // agrees with the name ranks wherever both rows have one.
    static int CompareNames(const Row& a, const Row& b);

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    // Lists every entry of the container in one reset.
    void Fill(DMDataFile& file);
    void Clear();
    // A single line that stands for no entry (position -1).
    void SetPlaceholder(const QString& text);
    const QString& Placeholder() const { return m_placeholder; }
    // Rows are kept in the list order of names, so the default view needs no sort.
    // Lists the entry at this position in its place; gives its row.
    int Add(const DMDataFileEntry& entry, int position);
    // Lists many entries, one insertion per run of rows that land together.
    void AddMany(const std::vector<std::pair<const DMDataFileEntry*, int>>& entries);
    // Reads the row of this position again from its entry (moving it when renamed).
    void Refresh(const DMDataFileEntry& entry, int position);
    // Drops the rows of these positions in one pass.
    void Remove(const std::vector<int>& positions);

    // The row of a position; -1 when it is not listed.
    int RowOf(int position) const;
    const Row& RowAt(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // The name as shown, and case-folded for the filter (made on first use and kept).
    QString NameAt(int row) const;
    const QString& FoldedNameAt(int row) const;

    // "1.2 KiB"-style size, and the ratio of packed to plain size as a percentage.
    static QString SizeText(double bytes);
    static QString RatioText(unsigned size, unsigned packed);
    // The checksum as eight hex digits, the way the command-line tool lists it.
    static QString CheckSumText(unsigned checkSum);

private:
    QString FoldName(int row) const;
    void KeepFoldedAligned();
    // The row a new row goes in at to keep the rows in name order.
    int PlaceFor(const Row& row) const;
    static Row MakeRow(const DMDataFileEntry& entry, int position);
    // Puts the rows in the list order of names and ranks them.
    void SortByName();
    void RebuildIndex();

    std::vector<Row> m_rows;
    mutable std::vector<QString> m_folded;  // by row; empty until the filter asks
    std::vector<int> m_rowOfPosition;
    QString m_placeholder;  // indexed by position; -1 when not listed
};
