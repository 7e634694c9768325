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
        QString name;
        QByteArray orderKey;  // name bytes with ASCII capitals folded: the list order by memcmp
        QString foldedName;   // for the case-insensitive filter
        unsigned size = 0;
        unsigned packed = 0;
        unsigned checkSum = 0;
    };

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
    // Appends the entry at this position; gives its row.
    int Add(const DMDataFileEntry& entry, int position);
    // Appends many entries with one insertion.
    void AddMany(const std::vector<std::pair<const DMDataFileEntry*, int>>& entries);
    // Reads the row of this position again from its entry.
    void Refresh(const DMDataFileEntry& entry, int position);
    // Drops the rows of these positions in one pass.
    void Remove(const std::vector<int>& positions);

    // The row of a position; -1 when it is not listed.
    int RowOf(int position) const;
    const Row& RowAt(int row) const { return m_rows[static_cast<size_t>(row)]; }

    // "1.2 KiB"-style size, and the ratio of packed to plain size as a percentage.
    static QString SizeText(double bytes);
    static QString RatioText(unsigned size, unsigned packed);
    // The checksum as eight hex digits, the way the command-line tool lists it.
    static QString CheckSumText(unsigned checkSum);

private:
    static Row MakeRow(const DMDataFileEntry& entry, int position);
    void RebuildIndex();

    std::vector<Row> m_rows;
    std::vector<int> m_rowOfPosition;  // indexed by position; -1 when not listed
};
