#include "app/support/GuiFixture.h"

namespace {

// The program on a first game directory, a second one ready to be chosen.
struct TwoGames : ProgramOnGame {
    TwoGames()
    {
        game.WriteArchive(QStringLiteral("old.pak"), {"x"});
        game.WriteSpells({MakeSpell("Ember", 11, 3)});
        second.WriteArchive(QStringLiteral("new.pak"), {"y"});
        Start();
    }
    QStringList Archives() const { return Texts(program->Find<QListWidget>(1000)); }

    GameDir second;
};

}  // namespace

TEST(DirectoryCommand, CancelChangesNothingAndAChoiceStoresTheFilesDirectoryAndReloadsTheCurrentTab)
{
    TwoGames t;
    ASSERT_EQ(t.Archives(), QStringList{QStringLiteral("old.pak")});
    t.program->view->SetTip(QStringLiteral("before"));
    t.program->Command(ids::FileOpen);  // no scripted answer: cancelled
    EXPECT_EQ(t.program->prompts.CountOf(QStringLiteral("ChooseGameFile")), 1);
    EXPECT_EQ(t.settings.StoredDMPath(), t.game.Path());
    EXPECT_EQ(t.program->Tip(), QStringLiteral("Tip: before"));
    EXPECT_TRUE(t.program->view->Archive().m_bInitialized);

    t.program->prompts.gameFileAnswers.enqueue(t.second.File(QStringLiteral("whatever.dat")));
    t.program->Command(ids::FileOpen);
    EXPECT_EQ(t.settings.StoredDMPath(), QDir::toNativeSeparators(t.second.Path()));
    EXPECT_EQ(t.Archives(), QStringList{QStringLiteral("new.pak")});
}

TEST(DirectoryCommand, OnTheSpellsTabActivatesSpellsAtOnceAndArchivesLater)
{
    TwoGames t;
    t.program->SelectTab(1);
    auto* classes = t.program->Find<QComboBox>(1015);
    classes->setCurrentIndex(classes->findText(QStringLiteral("Wizard")));
    t.program->prompts.gameFileAnswers.enqueue(t.second.File(QStringLiteral("spdat.eff")));
    t.program->Command(ids::FileOpen);
    // The Spells tab refilled its filters from the records it holds.
    EXPECT_EQ(classes->currentText(), QStringLiteral("*** All ***"));
    EXPECT_EQ(t.program->Find<QListWidget>(1020)->count(), 1);
    EXPECT_TRUE(t.program->prompts.Messages().isEmpty());
    EXPECT_FALSE(t.program->view->Archive().m_bInitialized);
    t.program->SelectTab(0);
    EXPECT_EQ(t.Archives(), QStringList{QStringLiteral("new.pak")});
}
