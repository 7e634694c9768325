#include "resources/Menus.h"

#include "resources/ResourceIds.h"

#include <QAction>
#include <QMenu>

#include <span>
#include <vector>

namespace {

struct Item {
    int id;  // 0 for a separator
    const char* text;
};

QMenu* MakePopupOf(const char* title, std::span<const Item> items)
{
    auto* menu = new QMenu(QString::fromLatin1(title));
    for (const Item& item : items) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        // The text after a tab is shown as the key hint; the keys themselves
        // are window-wide shortcuts of the main frame.
        QAction* action = menu->addAction(QString::fromLatin1(item.text));
        action->setData(item.id);
        if (item.id == ids::ViewTips) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
    return menu;
}

QMenu* MakePopup(const char* title, std::initializer_list<Item> items)
{
    return MakePopupOf(title, std::span<const Item>(items.begin(), items.size()));
}

QMenu* MakeView() { return MakePopup("&View", {{ids::ViewTips, "&Tips"}}); }
QMenu* MakeHelp() { return MakePopup("&Help", {{ids::AppAbout, "&About Tomelens..."}}); }

// Every File popup: the directory command, the tab's own save commands, Exit.
QMenu* MakeFile(std::initializer_list<Item> saves)
{
    std::vector<Item> items = {{ids::FileOpen, "&Duskmere Directory ...\tCtrl+D"}};
    items.insert(items.end(), saves);
    items.push_back({0, nullptr});
    items.push_back({ids::AppExit, "E&xit"});
    return MakePopupOf("&File", items);
}

}  // namespace

QList<QMenu*> LoadMenu(int menuId)
{
    switch (menuId) {
    case ids::MenuFrame:
        return {MakeFile({}), MakeView(), MakeHelp()};
    case ids::MenuArchives:
        return {MakeFile({{ids::FileSave, "&Save ... \tCtrl+S"}, {ids::FileSaveAs, "Save &As ..."}}),
                MakeView(),
                MakePopup("&Archive", {{ids::ArchiveNew, "&New ..."},
                                       {ids::ArchiveAdd, "&Add ..."},
                                       {ids::ArchiveDelete, "&Delete"},
                                       {ids::ArchiveRename, "&Rename ..."},
                                       {ids::ArchiveSaveData, "&Save Data ..."},
                                       {ids::ArchiveLoadData, "&Load Data ..."},
                                       {0, nullptr},
                                       {ids::ArchiveUpdateCrc, "&Update CRC ..."}}),
                MakeHelp()};
    case ids::MenuSpells:
        return {MakeFile({{ids::SpellSave, "&Save ... \tCtrl+S"}, {ids::SpellSaveAll, "Save &All ..."}}),
                MakeView(), MakeHelp()};
    default:
        return {};
    }
}

QAction* FindCommand(const QList<QMenu*>& menus, int commandId)
{
    for (QMenu* menu : menus) {
        for (QAction* action : menu->actions()) {
            if (action->menu()) {
                if (QAction* found = FindCommand({action->menu()}, commandId))
                    return found;
            } else if (!action->isSeparator() && action->data().toInt() == commandId) {
                return action;
            }
        }
    }
    return nullptr;
}
