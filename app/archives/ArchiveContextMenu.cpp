// The ways into the Archives tab besides the menu bar: context menus, keys,
// drag and drop and hovering. Each one calls a command of the controller.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/HoverPreview.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>

#include <memory>

namespace {

// Hands unmodified key presses to a function; true from it eats the key.
class KeyFilter : public QObject {
public:
    KeyFilter(QObject* parent, std::function<bool(int)> onKey) : QObject(parent), m_onKey(std::move(onKey)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && m_onKey(key->key()))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(int)> m_onKey;
};

}  // namespace

void DMArchive::ConnectControls(std::function<void(const QString&)> setTip)
{
    m_setTip = std::move(setTip);
    m_pConnections = std::make_unique<QObject>();
    QObject* context = m_pConnections.get();
    auto tip = [this](const QString& text) {
        if (m_setTip)
            m_setTip(text);
    };
    EntryTableView* view = m_pEntryList->View();

    QObject::connect(view, &QAbstractItemView::doubleClicked, context, [this, tip] { tip(ViewEntry()); });
    QObject::connect(view, &EntryTableView::viewRequested, context, [this, tip] { tip(ViewEntry()); });
    QObject::connect(view, &EntryTableView::deleteRequested, context, [this] { DeleteEntry(); });
    QObject::connect(view, &EntryTableView::renameRequested, context, [this] { RenameEntry(); });
    QObject::connect(view, &EntryTableView::filesDropped, context, [this](const QStringList& paths) { AddFiles(paths); });
    QObject::connect(view, &QWidget::customContextMenuRequested, view,
                     [this, view](const QPoint& at) { ShowEntryMenu(view->viewport()->mapToGlobal(at)); });
    view->filesForDrag = [this](const std::vector<int>& positions) { return FilesForDrag(positions); };
    view->toolTipFor = [this](int position) { return EntryToolTip(position); };
    QObject::connect(m_pHoverPreview.get(), &HoverPreview::ready, context,
                     [view](int position) { view->RefreshToolTip(position); });

    m_pFileList->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m_pFileList, &QWidget::customContextMenuRequested, m_pFileList,
                     [this](const QPoint& at) { ShowFileMenu(m_pFileList->viewport()->mapToGlobal(at)); });
    // Enter opens the selected data file; the filter goes with this controller.
    m_pFileList->installEventFilter(new KeyFilter(context, [this, tip](int key) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        tip(OpenArchive());
        return true;
    }));
}

void DMArchive::ShowEntryMenu(const QPoint& at)
{
    if (m_bBusy)
        return;
    std::unique_ptr<QMenu> menu(MakeEntryMenu(m_pEntryList));
    menu->exec(at);
}

void DMArchive::ShowFileMenu(const QPoint& at)
{
    if (m_bBusy)
        return;
    std::unique_ptr<QMenu> menu(MakeFileMenu(m_pFileList));
    menu->exec(at);
}

QMenu* DMArchive::MakeEntryMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const auto add = [menu](const char* text, auto command) {
        menu->addAction(QString::fromLatin1(text), menu, command);
    };
    add("View", [this] {
        if (m_setTip)
            m_setTip(ViewEntry());
    });
    add("Extract...", [this] { ExtractEntries(); });
    add("Add Files...", [this] { AddFilesEntries(); });
    add("Add Folder...", [this] { AddFolderEntries(); });
    add("Load Data...", [this] { LoadEntryData(); });
    add("Rename...", [this] { RenameEntry(); });
    add("Delete", [this] { DeleteEntry(); });
    add("Update CRC...", [this] { UpdateEntryCRC(); });
    menu->addSeparator();
    add("Properties", [this] { ShowProperties(); });
    return menu;
}

QMenu* DMArchive::MakeFileMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->addAction(QStringLiteral("Open"), menu, [this] {
        const QString tip = OpenArchive();
        if (m_setTip)
            m_setTip(tip);
    });
    menu->addAction(QStringLiteral("New Archive..."), menu, [this] { NewArchive(); });
    menu->addAction(QStringLiteral("Test Archive"), menu, [this] { TestArchive(); });
    menu->addAction(QStringLiteral("Refresh"), menu, [this] {
        const QString tip = RefreshDataFiles();
        if (m_setTip)
            m_setTip(tip);
    });
    return menu;
}
