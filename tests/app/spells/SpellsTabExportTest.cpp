#include "SpellsTabFixture.h"

#include "resources/ResourceIds.h"
#include "spells/SpellExport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

TEST(SpellsExport, SaveWritesTheSelectedSpellUnderItsProposedName)
{
    SpellsTab t;
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("beta.txt"));
    t.Select(QStringLiteral("Beta"));
    t.P().prompts.saveFileAnswers.enqueue(path);
    t.P().Command(ids::SpellSave);

    ASSERT_EQ(t.P().prompts.shown.size(), 1);
    EXPECT_EQ(t.P().prompts.shown[0].kind, QStringLiteral("SaveFile"));
    EXPECT_EQ(t.P().prompts.shown[0].text, QStringLiteral("Beta"));
    EXPECT_EQ(t.P().prompts.shown[0].caption, QStringLiteral("txt"));
    const QByteArray text = Read(path);
    EXPECT_TRUE(text.startsWith("Spell: Beta\n\tMana:\t10\n\tSkill:\tConjuration\n"));
    EXPECT_TRUE(text.contains("\n\tClasses: \n\tCleric: 9\n\tWizard: 5\n"));
    std::ostringstream expected;
    WriteSpellExport(expected, SpellsTab::Records(), 2);
    EXPECT_EQ(text.toStdString(), expected.str());
    EXPECT_EQ(Entries(out.path()), QStringList{QStringLiteral("beta.txt")});
}

TEST(SpellsExport, SaveWithoutSelectionAsksForOneAndCancelWritesNothing)
{
    SpellsTab t;
    t.Select(QStringLiteral("Beta"));
    t.List()->clearSelection();
    t.P().prompts.Clear();
    t.P().Command(ids::SpellSave);
    EXPECT_EQ(t.P().prompts.Messages(), QStringList{QStringLiteral("Select spell first.")});
    EXPECT_EQ(t.P().prompts.CountOf(QStringLiteral("SaveFile")), 0);

    QTemporaryDir out;
    t.Select(QStringLiteral("Beta"));
    t.P().Command(ids::SpellSave);  // no scripted answer: cancelled
    EXPECT_EQ(t.P().prompts.CountOf(QStringLiteral("SaveFile")), 1);
    EXPECT_TRUE(Entries(out.path()).isEmpty());
}

TEST(SpellsExport, CtrlSOnTheSpellsTabSavesTheSelectedSpell)
{
    SpellsTab t;
    t.P().frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(t.P().frame.get()));
    t.Select(QStringLiteral("Gamma"));
    t.P().prompts.Clear();
    QTest::keyClick(t.P().frame.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(t.P().prompts.shown.size(), 1);
    EXPECT_EQ(t.P().prompts.shown[0].kind, QStringLiteral("SaveFile"));
    EXPECT_EQ(t.P().prompts.shown[0].text, QStringLiteral("Gamma"));
}

TEST(SpellsExport, SaveAllWritesTheListInItsOrderAndReplacesOldContent)
{
    SpellsTab t;
    t.Choose(1015, QStringLiteral("Wizard"));
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("spells.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, '~'));
    }
    t.P().prompts.saveFileAnswers.enqueue(path);
    t.P().Command(ids::SpellSaveAll);
    EXPECT_EQ(t.P().prompts.shown.constLast().text, QStringLiteral("spells.txt"));

    const QByteArray text = Read(path);
    EXPECT_FALSE(text.contains('~'));
    qsizetype last = -1;
    for (const char* name : {"Ember", "alpha", "Beta", "Gamma", "Delta"}) {
        const qsizetype at = text.indexOf(QByteArray("Spell: ") + name + "\n");
        EXPECT_GT(at, last) << name;
        last = at;
    }
    EXPECT_FALSE(text.contains("Spell:  3"));  // no level prefixes
    EXPECT_TRUE(text.endsWith("\n\n"));
    std::ostringstream expected;
    const std::vector<int> order = {0, 1, 2, 4, 6};
    WriteAllSpellsExport(expected, SpellsTab::Records(), order);
    EXPECT_EQ(text.toStdString(), expected.str());
}

TEST(SpellsExport, EmptyListGivesAnEmptyFile)
{
    SpellsTab t;
    t.Choose(1019, QStringLiteral("Cloak"));
    ASSERT_EQ(t.List()->count(), 0);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("none.txt"));
    t.P().prompts.saveFileAnswers.enqueue(path);
    t.P().Command(ids::SpellSaveAll);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST(SpellsExport, FailuresAreReportedAndLeaveNoPartialFile)
{
    SpellsTab t;
    QTemporaryDir out;
    t.Select(QStringLiteral("Ember"));

    // The folder does not exist.
    const QString missing = out.filePath(QStringLiteral("gone/ember.txt"));
    t.P().prompts.saveFileAnswers.enqueue(missing);
    t.P().Command(ids::SpellSave);
    EXPECT_EQ(t.P().prompts.Messages(), QStringList{QStringLiteral("Errors while saving this file.")});
    EXPECT_FALSE(QFile::exists(missing));

    // The target is a folder: it stays, and no temporary file is left beside it.
    const QString folder = out.filePath(QStringLiteral("taken"));
    ASSERT_TRUE(QDir(out.path()).mkdir(QStringLiteral("taken")));
    t.P().prompts.Clear();
    t.P().prompts.saveFileAnswers.enqueue(folder);
    t.P().Command(ids::SpellSaveAll);
    EXPECT_EQ(t.P().prompts.Messages(), QStringList{QStringLiteral("Errors while saving this file.")});
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(Entries(out.path()), QStringList{QStringLiteral("taken")});
}

TEST(SpellsExport, ProposedNameNeverLeavesTheChosenFolder)
{
    PrivateSettings settings;
    GameDir game;
    game.WriteSpells({MakeSpell("Fire/Ice", 0, 1)});
    settings.StoreDMPath(game.Path());
    Program p;
    p.SelectTab(1);
    p.Find<QListWidget>(1020)->setCurrentRow(0);
    p.Command(ids::SpellSave);
    ASSERT_EQ(p.prompts.CountOf(QStringLiteral("SaveFile")), 1);
    EXPECT_EQ(p.prompts.shown.constLast().text, QStringLiteral("Fire_Ice"));
}
