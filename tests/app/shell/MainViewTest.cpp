#include "app/support/GuiFixture.h"

#include <array>

#include <QAction>
#include <QImage>
#include <QSet>
#include <QTabWidget>
#include <QWindow>

namespace {

const std::vector<int> kArchivesControls = {1008, 1007, 1005, 1000, 1001};
const std::vector<int> kSpellsControls = {1011, 1015, 1012, 1023, 1016, 1024, 1017,
                                          1013, 1018, 1014, 1019, 1025, 1020, 1022};

// The program on a game directory with two archives, a file that is not one
// and three spells.
struct GameSetUp {
    GameSetUp()
    {
        dir.WriteArchive(QStringLiteral("alpha.pak"), {"a.txt", "b.bmp"});
        dir.WriteArchive(QStringLiteral("beta.pak"), {"c.wav"});
        dir.WriteBytes(QStringLiteral("notes.txt"), "not an archive");
        dir.WriteSpells({MakeSpell("Ember", 11, 3), MakeSpell("Frost", 11, 1), MakeSpell("Ward", 1, 7)});
        settings.StoreDMPath(dir.Path());
    }
    PrivateSettings settings;
    GameDir dir;
};
class MainView : public ::testing::Test {
protected:
    GameSetUp game;
    Program p;
};

void ExpectRects(const Program& p, std::initializer_list<std::array<int, 5>> rows)
{
    for (const auto& [id, x, y, w, h] : rows)
        EXPECT_EQ(p.Find(id)->geometry(), QRect(x, y, w, h)) << "control " << id;
}

void ExpectShown(const Program& p, const std::vector<int>& controls, bool shown)
{
    for (int id : controls)
        EXPECT_EQ(p.Find(id)->isVisible(), shown) << "control " << id;
}

}  // namespace

TEST_F(MainView, StartsOnTheArchivesTabAndTabSwitchesInstallMenusAndActivate)
{
    auto* tab = p.Find<QTabWidget>(1006);
    ASSERT_EQ(tab->count(), 2);
    EXPECT_EQ(tab->currentIndex(), 0);
    EXPECT_EQ(p.ShownMenus(), p.view->Archive().m_menu);
    EXPECT_EQ(Texts(p.Find<QListWidget>(1000)), (QStringList{"alpha.pak", "beta.pak"}));
    ExpectShown(p, kArchivesControls, true);
    ExpectShown(p, kSpellsControls, false);
    EXPECT_EQ(p.frame->windowHandle()->title(), QStringLiteral("Untitled - Tomelens"));
    EXPECT_TRUE(p.prompts.shown.isEmpty());

    p.SelectTab(1);
    EXPECT_EQ(p.ShownMenus(), p.view->Spell().m_menu);
    EXPECT_EQ(p.Find<QListWidget>(1020)->count(), 3);
    ExpectShown(p, kArchivesControls, false);
    ExpectShown(p, kSpellsControls, true);

    p.view->SetTip(QStringLiteral("left over"));
    p.SelectTab(0);
    EXPECT_EQ(p.ShownMenus(), p.view->Archive().m_menu);
    EXPECT_EQ(p.Tip(), QStringLiteral("Tip: "));  // an activation's empty tip replaces the old one
    ExpectShown(p, kSpellsControls, false);
}

TEST_F(MainView, RectanglesFollowTheTipLineAndTheViewsSize)
{
    ExpectRects(p, {{1006, 0, 0, 600, 380}, {1002, 5, 382, 590, 15}, {1001, 165, 50, 430, 325}});
    p.Command(ids::ViewTips);
    EXPECT_FALSE(p.Find(1002)->isVisible());
    ExpectRects(p, {{1006, 0, 0, 600, 400}, {1001, 165, 50, 430, 345}});
    p.SelectTab(1);
    ExpectRects(p, {{1022, 155, 70, 440, 325}, {1016, 165, 40, 25, 20}, {1011, 5, 25, 120, 40}});
    p.view->SetTip(QStringLiteral("keep me"));
    p.Command(ids::ViewTips);
    EXPECT_EQ(p.Tip(), QStringLiteral("Tip: keep me"));
    ExpectRects(p, {{1006, 0, 0, 600, 380}, {1022, 155, 70, 440, 305}});
    p.SelectTab(0);
    p.view->setFixedSize(700, 500);
    ExpectRects(p, {{1001, 165, 50, 530, 425}, {1002, 5, 482, 690, 15}});
}

TEST_F(MainView, SpellsControlsLieAboveTheTabsAndTheirGroupsLetClicksThrough)
{
    p.SelectTab(1);
    const QList<QObject*> order = p.view->children();
    for (auto [control, group] : {std::pair{1015, 1011}, {1016, 1012}, {1018, 1013}, {1019, 1014}}) {
        QWidget* filter = p.Find(control);
        EXPECT_GT(order.indexOf(p.Find(group)), order.indexOf(filter)) << group << " above " << control;
        QWidget* hit = p.view->childAt(filter->geometry().center());
        EXPECT_TRUE(hit == filter || filter->isAncestorOf(hit)) << "clicks reach " << control;
    }
    for (int id : kSpellsControls)
        EXPECT_GT(order.indexOf(p.Find(id)), order.indexOf(p.Find(1006))) << id;
    // The Get Spells button covers no other control.
    QWidget* button = p.Find(1025);
    for (int id : kSpellsControls)
        EXPECT_TRUE(id == 1025 || !button->geometry().intersects(p.Find(id)->geometry())) << id;
}

TEST_F(MainView, TipsCheckMarkBelongsToEachMenu)
{
    QAction* archivesTips = FindCommand(p.view->Archive().m_menu, ids::ViewTips);
    QAction* spellsTips = FindCommand(p.view->Spell().m_menu, ids::ViewTips);
    QAction* frameTips = FindCommand(p.frame->OwnMenu(), ids::ViewTips);

    p.Command(ids::ViewTips);  // off, while Archives is current
    EXPECT_FALSE(archivesTips->isChecked());
    EXPECT_TRUE(spellsTips->isChecked());
    EXPECT_TRUE(frameTips->isChecked());

    p.SelectTab(1);
    EXPECT_TRUE(spellsTips->isChecked());  // its own, stale mark
    p.Command(ids::ViewTips);  // on again
    EXPECT_TRUE(p.view->ShowsTips());
    EXPECT_TRUE(spellsTips->isChecked());
    EXPECT_FALSE(archivesTips->isChecked());
}

TEST_F(MainView, KeyboardShortcutsFollowTheCurrentTab)
{
    p.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(p.frame.get()));
    QTest::keyClick(p.frame.get(), Qt::Key_S, Qt::ControlModifier);  // the archive's Save
    p.SelectTab(1);
    QTest::keyClick(p.frame.get(), Qt::Key_S, Qt::ControlModifier);  // the spell's Save
    EXPECT_EQ(p.prompts.Messages(), (QStringList{"Please select archive to save first", "Select spell first."}));
    QTest::keyClick(p.frame.get(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(p.frame.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(p.prompts.CountOf(QStringLiteral("ChooseGameFile")), 2);
}

TEST_F(MainView, NewDocumentLeavesExactlyTheTwoTabs)
{
    p.SelectTab(1);
    p.frame->OnCommand(ids::FileNew);
    p.frame->OnCommand(ids::FileNew);
    auto* tab = p.Find<QTabWidget>(1006);
    EXPECT_EQ(tab->count(), 2);
    EXPECT_EQ(tab->currentIndex(), 0);
    EXPECT_EQ(p.ShownMenus(), p.view->Archive().m_menu);
}

TEST_F(MainView, BothTabsPaintTheirListsAndWholeCaptions)
{
    for (int tab : {0, 1}) {
        p.SelectTab(tab);
        const QImage image = p.frame->grab().toImage();
        ASSERT_FALSE(image.isNull());
        // A filled list's white area and the text drawn on it differ.
        const QRect list = p.Find(tab == 0 ? 1000 : 1020)->geometry();
        const QPoint origin = p.view->mapTo(p.frame.get(), list.topLeft());
        QSet<QRgb> colours;
        for (int y = 0; y < list.height(); y += 2)
            for (int x = 0; x < list.width(); x += 2)
                colours.insert(image.pixel(origin + QPoint(x, y)));
        EXPECT_GT(colours.size(), 2) << "tab " << tab;
        for (int id : tab == 0 ? std::vector<int>{1007, 1008} : std::vector<int>{1023, 1024}) {
            auto* caption = p.Find<QLabel>(id);
            EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->width()) << id;
        }
    }
}
