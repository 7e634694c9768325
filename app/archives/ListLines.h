#pragma once

#include <QString>

#include <optional>

class QListWidget;
class QListWidgetItem;

// Lines of the tab's two sorted lists. Each line carries a datum in
// Qt::UserRole (an index or a position, -1 for a placeholder line); commands
// find their object through it, never through the line's place.

// Adds a line at its sorted place (the program's list order) and gives it back.
QListWidgetItem* AddLine(QListWidget* list, const QString& text, int datum);

// The datum of the selected line; nothing when no line is selected.
std::optional<int> SelectedDatum(const QListWidget* list);

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
