#pragma once

#include <QTableView>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class EntryTableModel;
class QLabel;
class QLineEdit;
class QTimer;

// The entry table itself: keys, drops and drags become signals and callbacks,
// so the controller decides what they do.
class EntryTableView : public QTableView {
    Q_OBJECT
public:
    explicit EntryTableView(QWidget* parent = nullptr);

    // Writes the entries at these positions to files for a drag; gives the files.
    std::function<QStringList(const std::vector<int>& positions)> filesForDrag;
    // The tooltip of the entry at a position (rich text); empty for none.
    std::function<QString(int position)> toolTipFor;

    // Shows the tooltip of this position again, if it is still up over its row
    // (its content arrived later).
    void RefreshToolTip(int position);

    // The handler of a drop: the local files in the data, if any.
    void DropFiles(const QMimeData* data);

signals:
    void viewRequested();
    void deleteRequested();
    void renameRequested();
    void filesDropped(const QStringList& paths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    bool viewportEvent(QEvent* event) override;

public:
    std::vector<int> SelectedPositions() const;
};

// List 1001: a filter field over the entry table and a line with the count and
// totals of what is shown, all inside the list's rectangle.
class EntryListPanel : public QWidget {
    Q_OBJECT
public:
    explicit EntryListPanel(QWidget* parent = nullptr);

    EntryTableModel& Model() const { return *m_pModel; }
    EntryTableView* View() const { return m_pView; }
    QLineEdit* FilterField() const { return m_pFilter; }

    // Positions of the selected rows, in the order shown.
    std::vector<int> SelectedPositions() const { return m_pView->SelectedPositions(); }
    // The position of the line single-entry commands act on: the current row
    // when it is selected, else the first selected one; nothing when none is.
    std::optional<int> CommandPosition() const;
    // Makes the row of this position current and the only one selected.
    void SelectPosition(int position);
    void ClearSelection();

    // Applies the filter text now (typing applies it after a short pause on big lists).
    void ApplyFilter();
    // The totals line, brought up to date first.
    QString SummaryText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScheduleSummary();
    void UpdateSummary();

    EntryTableModel* m_pModel;
    QLineEdit* m_pFilter;
    EntryTableView* m_pView;
    QLabel* m_pSummary;
    QTimer* m_pFilterTimer;
    bool m_bSummaryDue = false;
};
