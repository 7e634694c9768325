#include "archives/EntryListPanel.h"

#include "archives/EntryTableModel.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>
#include <QCursor>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Lists up to this size filter as the user types; bigger ones wait for a pause.
constexpr int kInstantFilterRows = 20000;
constexpr int kFilterPauseMs = 150;

QStringList LocalFiles(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

}  // namespace

EntryTableView::EntryTableView(QWidget* parent) : QTableView(parent)
{
    // One fixed row height and no row header: the view lays out only the rows it shows.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

void EntryTableView::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: emit viewRequested(); return;
        case Qt::Key_Delete: emit deleteRequested(); return;
        case Qt::Key_F2: emit renameRequested(); return;
        default: break;
        }
    }
    QTableView::keyPressEvent(event);
}

void EntryTableView::dragEnterEvent(QDragEnterEvent* event)
{
    // Our own drags out are not drops onto ourselves.
    if (event->source() != this && !LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void EntryTableView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->source() != this && !LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void EntryTableView::dropEvent(QDropEvent* event)
{
    if (event->source() == this) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    DropFiles(event->mimeData());
}

void EntryTableView::DropFiles(const QMimeData* data)
{
    const QStringList paths = LocalFiles(data);
    if (!paths.isEmpty())
        emit filesDropped(paths);
}

void EntryTableView::startDrag(Qt::DropActions)
{
    const std::vector<int> positions = SelectedPositions();
    if (positions.empty() || !filesForDrag)
        return;
    const QStringList files = filesForDrag(positions);
    if (files.isEmpty())
        return;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file));
    auto* data = new QMimeData;
    data->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

bool EntryTableView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTipFor) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const int position = index.isValid() ? index.siblingAtColumn(0).data(EntryTableModel::PositionRole).toInt() : -1;
        const QString tip = position >= 0 ? toolTipFor(position) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
        return true;
    }
    return QTableView::viewportEvent(event);
}

void EntryTableView::RefreshToolTip(int position)
{
    const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    const QModelIndex index = indexAt(at);
    if (!toolTipFor || !QToolTip::isVisible() || !index.isValid() ||
        index.siblingAtColumn(0).data(EntryTableModel::PositionRole).toInt() != position)
        return;
    const QString tip = toolTipFor(position);
    if (!tip.isEmpty())
        QToolTip::showText(QCursor::pos(), tip, viewport(), visualRect(index));
}

std::vector<int> EntryTableView::SelectedPositions() const
{
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<int> positions;
    positions.reserve(static_cast<size_t>(rows.size()));
    for (const QModelIndex& row : rows) {
        const int position = row.data(EntryTableModel::PositionRole).toInt();
        if (position >= 0)
            positions.push_back(position);
    }
    return positions;
}

EntryListPanel::EntryListPanel(QWidget* parent)
    : QWidget(parent),
      m_pModel(new EntryTableModel(this)),
      m_pFilter(new QLineEdit(this)),
      m_pView(new EntryTableView(this)),
      m_pSummary(new QLabel(this)),
      m_pFilterTimer(new QTimer(this))
{
    m_pFilter->setPlaceholderText(QStringLiteral("Filter (text or *.bmp)"));
    m_pFilter->setClearButtonEnabled(true);
    m_pView->setModel(m_pModel);
    m_pView->sortByColumn(EntryTableModel::NameColumn, Qt::AscendingOrder);
    m_pView->horizontalHeader()->setStretchLastSection(false);
    m_pView->horizontalHeader()->setSectionResizeMode(EntryTableModel::NameColumn, QHeaderView::Stretch);
    m_pView->setColumnWidth(EntryTableModel::SizeColumn, 75);
    m_pView->setColumnWidth(EntryTableModel::PackedColumn, 75);
    m_pView->setColumnWidth(EntryTableModel::RatioColumn, 55);
    m_pView->setColumnWidth(EntryTableModel::CheckSumColumn, 75);
    m_pSummary->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_pFilter);
    layout->addWidget(m_pView, 1);
    layout->addWidget(m_pSummary);

    m_pFilterTimer->setSingleShot(true);
    m_pFilterTimer->setInterval(kFilterPauseMs);
    connect(m_pFilterTimer, &QTimer::timeout, this, &EntryListPanel::ApplyFilter);
    connect(m_pFilter, &QLineEdit::textChanged, this, [this] {
        if (m_pModel->rowCount() <= kInstantFilterRows)
            ApplyFilter();
        else
            m_pFilterTimer->start();
    });
    // Escape in the field clears it at once.
    m_pFilter->installEventFilter(this);
    auto* find = new QShortcut(QKeySequence::Find, this, nullptr, nullptr, Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        if (isVisible()) {
            m_pFilter->setFocus(Qt::ShortcutFocusReason);
            m_pFilter->selectAll();
        }
    });

    connect(m_pModel, &QAbstractItemModel::modelReset, this, &EntryListPanel::ScheduleSummary);
    connect(m_pModel, &QAbstractItemModel::layoutChanged, this, &EntryListPanel::ScheduleSummary);
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &EntryListPanel::ScheduleSummary);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &EntryListPanel::ScheduleSummary);
    connect(m_pModel, &QAbstractItemModel::dataChanged, this, &EntryListPanel::ScheduleSummary);
    UpdateSummary();
}

bool EntryListPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pFilter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_pFilter->text().isEmpty()) {
        m_pFilter->clear();
        ApplyFilter();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<int> EntryListPanel::CommandPosition() const
{
    QItemSelectionModel* selection = m_pView->selectionModel();
    const QModelIndex current = m_pView->currentIndex();
    QModelIndex chosen;
    if (current.isValid() && selection->isRowSelected(current.row(), current.parent()))
        chosen = current;
    else if (const QModelIndexList rows = selection->selectedRows(); !rows.isEmpty())
        chosen = rows.first();
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.siblingAtColumn(0).data(EntryTableModel::PositionRole).toInt();
}

void EntryListPanel::SelectPosition(int position)
{
    const int line = m_pModel->LineOf(position);
    if (line < 0)
        return;
    const QModelIndex index = m_pModel->index(line, 0);
    m_pView->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_pView->scrollTo(index);
}

void EntryListPanel::ClearSelection()
{
    m_pView->clearSelection();
}

void EntryListPanel::ApplyFilter()
{
    m_pFilterTimer->stop();
    m_pModel->SetPattern(m_pFilter->text());
}

QString EntryListPanel::SummaryText()
{
    if (m_bSummaryDue)
        UpdateSummary();
    return m_pSummary->text();
}

void EntryListPanel::ScheduleSummary()
{
    // Many changes in a row (a drop of many files) recount once.
    if (m_bSummaryDue)
        return;
    m_bSummaryDue = true;
    QTimer::singleShot(0, this, [this] {
        if (m_bSummaryDue)
            UpdateSummary();
    });
}

void EntryListPanel::UpdateSummary()
{
    m_bSummaryDue = false;
    m_pSummary->setText(EntryTableModel::TotalsText(m_pModel->ShownTotals()));
}
