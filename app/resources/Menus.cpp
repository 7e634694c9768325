#include "resources/Menus.h"

#include "resources/ResourceIds.h"

#include <QAction>
#include <QMenu>

namespace {

struct Item {
    int id;  // 0 for a separator
    const char* text;
};

QMenu* MakePopup(const char* title, std::initializer_list<Item> items)
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

QMenu* MakeView() { return MakePopup("&View", {{ids::ViewTips, "&Tips"}}); }
QMenu* MakeHelp() { return MakePopup("&Help", {{ids::AppAbout, "&About Tomelens..."}}); }

}  // namespace

QList<QMenu*> LoadMenu(int menuId)
{
    switch (menuId) {
    case ids::MenuFrame:
        return {MakePopup("&File", {{ids::FileOpen, "&Duskmere Directory ...\tCtrl+D"},
                                    {0, nullptr},
                                    {ids::AppExit, "E&xit"}}),
                MakeView(), MakeHelp()};
    case ids::MenuArchives:
        return {MakePopup("&File", {{ids::FileOpen, "&Duskmere Directory ...\tCtrl+D"},
                                    {ids::FileSave, "&Save ... \tCtrl+S"},
                                    {ids::FileSaveAs, "Save &As ..."},
                                    {0, nullptr},
                                    {ids::AppExit, "E&xit"}}),
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
        return {MakePopup("&File", {{ids::FileOpen, "&Duskmere Directory ...\tCtrl+D"},
                                    {ids::SpellSave, "&Save ... \tCtrl+S"},
                                    {ids::SpellSaveAll, "Save &All ..."},
                                    {0, nullptr},
                                    {ids::AppExit, "E&xit"}}),
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
