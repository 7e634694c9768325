#include "resources/Menus.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

namespace {

// One line per item: "text=id", "-" for a separator; popups start with "[title]".
QStringList Describe(const QList<QMenu*>& menus)
{
    QStringList lines;
    for (QMenu* menu : menus) {
        lines.append(QStringLiteral("[%1]").arg(menu->title()));
        for (QAction* action : menu->actions())
            lines.append(action->isSeparator() ? QStringLiteral("-")
                                               : QStringLiteral("%1=%2").arg(action->text()).arg(
                                                     action->data().toInt()));
    }
    return lines;
}

struct OwnedMenus {
    explicit OwnedMenus(int id) : menus(LoadMenu(id)) {}
    ~OwnedMenus() { qDeleteAll(menus); }
    QList<QMenu*> menus;
};

const QStringList kFileHead = {QStringLiteral("[&File]"),
                               QStringLiteral("&Duskmere Directory ...\tCtrl+D=57601")};
const QStringList kView = {QStringLiteral("[&View]"), QStringLiteral("&Tips=32776")};
const QStringList kHelp = {QStringLiteral("[&Help]"), QStringLiteral("&About Tomelens...=57664")};

}  // namespace

TEST(Menus, EachMenuShowsItsItemsAndCommands)
{
    const QStringList exit = {"-", "E&xit=57665"};
    const std::pair<int, QStringList> menus[] = {
        {ids::MenuFrame, kFileHead + exit + kView + kHelp},
        {ids::MenuArchives,
         kFileHead + QStringList{"&Save ... \tCtrl+S=57603", "Save &As ...=57604"} + exit + kView +
             QStringList{"[&Archive]", "&New ...=32771", "&Add ...=32779", "&Delete=32778", "&Rename ...=32772",
                         "&Save Data ...=32773", "&Load Data ...=32774", "-", "&Update CRC ...=32775"} +
             kHelp},
        {ids::MenuSpells, kFileHead + QStringList{"&Save ... \tCtrl+S=32781", "Save &All ...=32780"} + exit + kView +
                              kHelp},
    };
    for (const auto& [id, expected] : menus)
        EXPECT_EQ(Describe(OwnedMenus(id).menus), expected) << id;
    EXPECT_TRUE(LoadMenu(4711).isEmpty());
    EXPECT_EQ(FindCommand(OwnedMenus(ids::MenuFrame).menus, ids::SpellSave), nullptr);
}

TEST(Menus, EveryMenuHasItsOwnCheckedTipsItem)
{
    OwnedMenus a(ids::MenuFrame), b(ids::MenuArchives), c(ids::MenuSpells);
    QAction* tipsA = FindCommand(a.menus, ids::ViewTips);
    QAction* tipsB = FindCommand(b.menus, ids::ViewTips);
    QAction* tipsC = FindCommand(c.menus, ids::ViewTips);
    ASSERT_TRUE(tipsA && tipsB && tipsC);
    EXPECT_TRUE(tipsA->isChecked() && tipsB->isChecked() && tipsC->isChecked());
    tipsB->setChecked(false);
    EXPECT_TRUE(tipsA->isChecked() && tipsC->isChecked());
}
