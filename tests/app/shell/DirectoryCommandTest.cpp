#include "resources/ResourceIds.h"
#include "shell/CTomelensView.h"
#include "app/support/GuiFixture.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QListWidget>

TEST(DirectoryCommand, StoresTheChosenFilesDirectoryAndReloadsTheCurrentTab)
{
    PrivateSettings settings;
    GameDir first, second;
    first.WriteArchive(QStringLiteral("old.pak"), {"x"});
    second.WriteArchive(QStringLiteral("new.pak"), {"y"});
    settings.StoreDMPath(first.Path());
    Program p;
    ASSERT_EQ(Texts(p.Find<QListWidget>(1000)), QStringList{QStringLiteral("old.pak")});

    p.prompts.gameFileAnswers.enqueue(second.File(QStringLiteral("whatever.dat")));
    p.Command(ids::FileOpen);
    EXPECT_EQ(settings.StoredDMPath(), QDir::toNativeSeparators(second.Path()));
    EXPECT_EQ(Texts(p.Find<QListWidget>(1000)), QStringList{QStringLiteral("new.pak")});
    EXPECT_TRUE(p.view->Archive().m_bInitialized);
    EXPECT_FALSE(p.view->Spell().m_bInitialized);
}

TEST(DirectoryCommand, CancelChangesNothing)
{
    PrivateSettings settings;
    GameDir game;
    game.WriteArchive(QStringLiteral("a.pak"), {"x"});
    settings.StoreDMPath(game.Path());
    Program p;
    p.view->SetTip(QStringLiteral("before"));
    p.Command(ids::FileOpen);  // no scripted answer: cancelled
    EXPECT_EQ(p.prompts.CountOf(QStringLiteral("ChooseGameFile")), 1);
    EXPECT_EQ(settings.StoredDMPath(), game.Path());
    EXPECT_EQ(p.Tip(), QStringLiteral("Tip: before"));
    EXPECT_TRUE(p.view->Archive().m_bInitialized);
}

TEST(DirectoryCommand, OnTheSpellsTabActivatesSpellsAtOnceAndArchivesLater)
{
    PrivateSettings settings;
    GameDir first, second;
    first.WriteSpells({MakeSpell("Ember", 11, 3)});
    second.WriteArchive(QStringLiteral("new.pak"), {"y"});
    settings.StoreDMPath(first.Path());
    Program p;
    p.SelectTab(1);
    auto* classes = p.Find<QComboBox>(1015);
    classes->setCurrentIndex(classes->findText(QStringLiteral("Wizard")));
    ASSERT_EQ(classes->currentText(), QStringLiteral("Wizard"));

    p.prompts.gameFileAnswers.enqueue(second.File(QStringLiteral("spdat.eff")));
    p.Command(ids::FileOpen);
    // The Spells tab refilled its filters from the records it holds.
    EXPECT_EQ(classes->currentText(), QStringLiteral("*** All ***"));
    EXPECT_EQ(p.Find<QListWidget>(1020)->count(), 1);
    EXPECT_TRUE(p.prompts.Messages().isEmpty());
    EXPECT_FALSE(p.view->Archive().m_bInitialized);

    p.SelectTab(0);
    EXPECT_EQ(Texts(p.Find<QListWidget>(1000)), QStringList{QStringLiteral("new.pak")});
}
