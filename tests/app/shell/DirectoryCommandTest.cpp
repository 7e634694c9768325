#include "resources/ResourceIds.h"
#include "shell/CTomelensView.h"
#include "app/support/GuiFixture.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QListWidget>

#include <optional>

namespace {

// The program on a first game directory, a second one ready to be chosen.
struct TwoGames {
    TwoGames()
    {
        first.WriteArchive(QStringLiteral("old.pak"), {"x"});
        first.WriteSpells({MakeSpell("Ember", 11, 3)});
        second.WriteArchive(QStringLiteral("new.pak"), {"y"});
        settings.StoreDMPath(first.Path());
        p.emplace();
    }
    QStringList Archives() const { return Texts(p->Find<QListWidget>(1000)); }

    PrivateSettings settings;
    GameDir first, second;
    std::optional<Program> p;
};

}  // namespace

TEST(DirectoryCommand, StoresTheChosenFilesDirectoryAndReloadsTheCurrentTab)
{
    TwoGames t;
    ASSERT_EQ(t.Archives(), QStringList{QStringLiteral("old.pak")});
    t.p->prompts.gameFileAnswers.enqueue(t.second.File(QStringLiteral("whatever.dat")));
    t.p->Command(ids::FileOpen);
    EXPECT_EQ(t.settings.StoredDMPath(), QDir::toNativeSeparators(t.second.Path()));
    EXPECT_EQ(t.Archives(), QStringList{QStringLiteral("new.pak")});
    EXPECT_FALSE(t.p->view->Spell().m_bInitialized);
}

TEST(DirectoryCommand, CancelChangesNothing)
{
    TwoGames t;
    t.p->view->SetTip(QStringLiteral("before"));
    t.p->Command(ids::FileOpen);  // no scripted answer: cancelled
    EXPECT_EQ(t.p->prompts.CountOf(QStringLiteral("ChooseGameFile")), 1);
    EXPECT_EQ(t.settings.StoredDMPath(), t.first.Path());
    EXPECT_EQ(t.p->Tip(), QStringLiteral("Tip: before"));
    EXPECT_TRUE(t.p->view->Archive().m_bInitialized);
}

TEST(DirectoryCommand, OnTheSpellsTabActivatesSpellsAtOnceAndArchivesLater)
{
    TwoGames t;
    t.p->SelectTab(1);
    auto* classes = t.p->Find<QComboBox>(1015);
    classes->setCurrentIndex(classes->findText(QStringLiteral("Wizard")));
    t.p->prompts.gameFileAnswers.enqueue(t.second.File(QStringLiteral("spdat.eff")));
    t.p->Command(ids::FileOpen);
    // The Spells tab refilled its filters from the records it holds.
    EXPECT_EQ(classes->currentText(), QStringLiteral("*** All ***"));
    EXPECT_EQ(t.p->Find<QListWidget>(1020)->count(), 1);
    EXPECT_TRUE(t.p->prompts.Messages().isEmpty());
    EXPECT_FALSE(t.p->view->Archive().m_bInitialized);
    t.p->SelectTab(0);
    EXPECT_EQ(t.Archives(), QStringList{QStringLiteral("new.pak")});
}
