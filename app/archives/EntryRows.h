#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class DMDataFile;
class DMDataFileEntry;

// Copies of names that never move once made, so rows can point at them.
class NameStore {
public:
    // A NUL-terminated copy of the name.
    const char* Add(std::string_view name);
    void Clear();
    // Takes over the other store's names.
    void Take(NameStore&& other);

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    size_t m_room = 0;
};

// The listed entries, one row each, with what the window shows and sorts by,
// read from the container once when the row is made or updated: painting,
// sorting and filtering never go back to the container. A row keeps its
// number until the next Reset, so orders and caches can refer to rows by it;
// a dropped row stays behind, unlisted.
class EntryRows {
public:
    // Plain values only, so making, sorting and moving rows costs no
    // allocation per row; the name lives in the name store.
    struct Row {
        int position = -1;  // -1 once dropped
        int nameLength = 0;
        const char* name = "";  // in the name store
        unsigned size = 0;
        unsigned packed = 0;
        unsigned checkSum = 0;
        // Place in the list order of names among the rows ranked together
        // (-1 for rows made or renamed since), so name order compares numbers.
        int nameRank = -1;
    };

    void Reset();
    // Rows for every entry of the container, ranked by name: the row of an
    // entry is its position. Gives the rows in the list order of names.
    std::vector<int> Fill(DMDataFile& file);
    // A row for the entry at this position; gives its number.
    int Append(const DMDataFileEntry& entry, int position);
    // Reads the row again from its entry; a new name loses its rank.
    void Update(int row, const DMDataFileEntry& entry);
    void Drop(int row);

    int Count() const { return static_cast<int>(m_rows.size()); }
    const Row& operator[](int row) const { return m_rows[static_cast<size_t>(row)]; }
    bool Listed(int row) const { return m_rows[static_cast<size_t>(row)].position >= 0; }
    // The row of an entry position; -1 when it is not listed.
    int RowOf(int position) const;

    // The name as the archive stores it, as shown, and case-folded for the
    // filter (made on first use and kept).
    std::string_view NameBytes(int row) const;
    QString DisplayName(int row) const;
    const QString& FoldedName(int row) const;

    // The list order of names, ties broken by position: a total order that
    // agrees with the name ranks wherever both rows have one.
    int CompareNames(int a, int b) const;
    // Ranks every listed row by name again when some row has no rank, so
    // name order is a number for all of them.
    void RankAll();

private:
    // A row for the entry, its name added to this name store.
    static Row MakeRow(const DMDataFileEntry& entry, int position, NameStore& names);
    // Ranks these rows by name, ties by position; gives them in that order.
    std::vector<int> Rank(const std::vector<int>& rowsByPosition);
    QString FoldName(int row) const;

    std::vector<Row> m_rows;
    // Names of rows dropped or renamed stay until the next Reset: a few bytes
    // per user action.
    NameStore m_names;
    std::vector<int> m_rowOfPosition;  // -1 where nothing is listed
    bool m_bAllRanked = true;
    mutable std::vector<QString> m_folded;  // by row; empty until the filter asks
};
