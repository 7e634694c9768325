#pragma once

#include <QString>

#include <optional>

class QComboBox;
class QListWidget;
class QListWidgetItem;

// Lines of the program's sorted lists and combos. Each line carries a datum in
// Qt::UserRole (an index, a record number, a filter value; -1 for a
// placeholder line); commands find their object through it, never through the
// line's place. Both keep the program's one list order.

// Adds a line at its sorted place (the program's list order) and gives it back.
QListWidgetItem* AddLine(QListWidget* list, const QString& text, int datum);

// The datum of the selected line; nothing when no line is selected.
std::optional<int> SelectedDatum(const QListWidget* list);

// Adds an item to a combo at its sorted place (the first place whose text
// sorts after it), with its datum.
void AddSorted(QComboBox* combo, const QString& text, int datum);
// The datum of the combo's current item, or fallback when there is none.
int SelectedDatum(const QComboBox* combo, int fallback);

// Turns sorting off for bulk filling; the lines are sorted once when it ends.
class BulkFill {
public:
    explicit BulkFill(QListWidget* list);
    ~BulkFill();
    BulkFill(const BulkFill&) = delete;
    BulkFill& operator=(const BulkFill&) = delete;

private:
    QListWidget* m_pList;
};
