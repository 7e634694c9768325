// The Spells tab as a user meets it: filters, level rules, order,
// description, load failures and retry, Save and Save All.

#include "SpellsTabFixture.h"

#include "resources/Menus.h"
#include "resources/ResourceIds.h"
#include "ProgramFacts.h"
#include "spells/SpellDescription.h"
#include "spells/SpellExport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

using namespace tomelens::core;

namespace {
int Datum(const QComboBox* combo, const QString& text)
{
    return combo->itemData(combo->findText(text)).toInt();
}
QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
const QStringList kAllUsable = {"alpha", "Beta", "Delta", "Ember", "Gamma", "Zeta"};
const QString kOpenTip = QStringLiteral("Tip: Use \"File\" -> \"Select Directory ...\" command to find spdat.eff file");
}  // namespace

TEST(SpellsTab, FirstActivationFillsTheFiltersAndListsEveryUsableSpell)
{
    SpellsTab t;
    QComboBox* classes = t.Combo(1015);
    EXPECT_EQ(Items(classes), (QStringList{"*** All ***", "*** Not available ***", "Bard", "Cleric", "Druid",
                                           "Enchanter", "Magician", "Monk", "Necromancer", "Paladin", "Ranger",
                                           "Rogue", "Shaddow Knight", "Shaman", "Warrior", "Wizard"}));
    EXPECT_EQ(classes->currentText(), QStringLiteral("*** All ***"));
    for (auto [name, number] : {std::pair{"*** All ***", 14}, {"*** Not available ***", 256}, {"Rogue", 6},
                                {"Druid", 5}})
        EXPECT_EQ(Datum(classes, QString::fromLatin1(name)), number) << name;
    // Only the skills that named records use; skill 200 has no entry.
    QComboBox* skills = t.Combo(1018);
    EXPECT_EQ(Items(skills), (QStringList{"*** All ***", "Conjuration", "Divination", "Evocation"}));
    EXPECT_EQ(skills->currentData().toInt(), 74);
    EXPECT_EQ(Datum(skills, QStringLiteral("Evocation")), 24);
    QComboBox* effects = t.Combo(1019);
    EXPECT_EQ(effects->count(), 76);
    EXPECT_EQ(effects->currentText(), QStringLiteral("*** All ***"));
    EXPECT_EQ(effects->currentData().toInt(), 127);
    EXPECT_EQ(Datum(effects, QStringLiteral("Invisibility")), 12);
    EXPECT_EQ(t.Edit(1016)->text() + "-" + t.Edit(1017)->text(), QStringLiteral("1-50"));
    EXPECT_EQ(t.Lines(), kAllUsable);
    EXPECT_TRUE(t.P().prompts.shown.isEmpty());
}

TEST(SpellsTab, FiltersNarrowTheListAndTheLevelRulesAreWrittenBack)
{
    SpellsTab t;
    const struct Step {
        const char *classes, *skill, *effect, *from, *to;
        QString shownFrom, shownTo;
        QStringList lines;
    } steps[] = {
        {"Wizard", "*** All ***", "*** All ***", "1", "50", "1", "50",
         {" 3  Ember", " 5  alpha", " 5  Beta", "12  Gamma", "30  Delta"}},
        {"Wizard", "*** All ***", "*** All ***", "30", "20", "30", "30", {"30  Delta"}},
        {"Wizard", "*** All ***", "*** All ***", "0", " 4x", "1", "4", {" 3  Ember"}},
        {"Wizard", "*** All ***", "*** All ***", "abc", "", "1", "50", {" 3  Ember", " 5  alpha", " 5  Beta",
                                                                        "12  Gamma", "30  Delta"}},
        {"*** Not available ***", "*** All ***", "*** All ***", "40", "45", "40", "45", {"Nothing"}},
        {"*** All ***", "Conjuration", "*** All ***", "1", "50", "1", "50", {"alpha", "Beta"}},
        {"*** All ***", "*** All ***", "Invisibility", "1", "50", "1", "50", {"Gamma"}},
    };
    for (const Step& s : steps) {
        t.Choose(1015, QString::fromLatin1(s.classes));
        t.Choose(1018, QString::fromLatin1(s.skill));
        t.Choose(1019, QString::fromLatin1(s.effect));
        t.Levels(QString::fromLatin1(s.from), QString::fromLatin1(s.to));
        const std::string what = std::string(s.classes) + " " + s.skill + " " + s.effect + " " + s.from + "-" + s.to;
        EXPECT_EQ(t.Edit(1016)->text(), s.shownFrom) << what;
        EXPECT_EQ(t.Edit(1017)->text(), s.shownTo) << what;
        EXPECT_EQ(t.Lines(), s.lines) << what;
    }
}

TEST(SpellsTab, SelectingDescribesTheSpellAndLeavingALevelEditClearsIt)
{
    SpellsTab t;
    t.Choose(1015, QStringLiteral("Wizard"));
    t.Select(QStringLiteral(" 3  Ember"));
    std::ostringstream expected;
    DescribeSpell(expected, SpellsTab::Records()[0], std::string());
    EXPECT_EQ(t.Description().toStdString(), expected.str());
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: You may use \"File\"->\"Save\" command to save spell "
                                          "information into the file"));
    t.List()->clearSelection();
    EXPECT_TRUE(t.Description().isEmpty());
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: Select spell in left list"));

    t.Select(QStringLiteral("12  Gamma"));
    EXPECT_TRUE(t.Description().contains(QStringLiteral("Invisibility: 1")));
    // Leaving the edit reruns the query, even unchanged.
    t.Leave(1016);
    EXPECT_TRUE(t.List()->selectedItems().isEmpty());
    EXPECT_TRUE(t.Description().isEmpty());
    EXPECT_EQ(t.List()->count(), 5);

    // Another tab and back: filters and list stay.
    t.P().SelectTab(0);
    t.P().SelectTab(1);
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: "));
    EXPECT_EQ(t.Combo(1015)->currentText(), QStringLiteral("Wizard"));
    EXPECT_EQ(t.List()->count(), 5);
}

TEST(SpellsTab, MissingFileIsReportedAndRetriedUntilItAppears)
{
    SpellsTab t(std::nullopt);
    EXPECT_EQ(t.P().prompts.Messages(), QStringList{QStringLiteral("Can't open spdat.eff file")});
    EXPECT_EQ(t.P().Tip(), kOpenTip);
    EXPECT_EQ(t.Combo(1015)->count(), 0);
    EXPECT_EQ(t.Edit(1016)->text(), QStringLiteral("0"));  // the query did not run

    QTest::mouseClick(t.P().Find<QPushButton>(1025), Qt::LeftButton);  // every later query tries again
    EXPECT_EQ(t.P().prompts.Messages().size(), 2);
    EXPECT_EQ(t.P().Tip(), kOpenTip);

    t.game.WriteSpells(SpellsTab::Records());
    t.Leave(1017);
    EXPECT_EQ(t.P().prompts.Messages().size(), 2);
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: "));
    // The filters stay empty; the query uses every class, skill and effect.
    EXPECT_EQ(t.Combo(1015)->count(), 0);
    EXPECT_EQ(t.Lines(), kAllUsable);

    // A new game directory fills them from the records already held, and
    // records once read stay for the run.
    GameDir other;
    other.WriteSpells({MakeSpell("Other", 0, 1)});
    t.P().prompts.gameFileAnswers.enqueue(other.File(QStringLiteral("spdat.eff")));
    t.P().Command(ids::FileOpen);
    EXPECT_EQ(t.Combo(1015)->currentText(), QStringLiteral("*** All ***"));
    EXPECT_EQ(t.Combo(1018)->count(), 4);
    EXPECT_EQ(t.Lines(), kAllUsable);
}

TEST(SpellsTab, FileOfWrongLengthIsReportedWithTheContactAddress)
{
    SpellsTab t(QByteArray(561, 'x'));
    const QString contact = QString::fromLatin1(kMakerContact);
    EXPECT_EQ(t.P().prompts.Messages(),
              QStringList{QStringLiteral("Invalid spdat.eff file. Please report this error to ") + contact + "."});
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: Please report this error to ") + contact);
    EXPECT_FALSE(t.P().view->Spell().HoldsRecords());
}

TEST(SpellsTab, EmptyFileListsNothingWithoutAMessage)
{
    SpellsTab t(QByteArray{});
    EXPECT_TRUE(t.P().prompts.shown.isEmpty());
    EXPECT_TRUE(t.P().view->Spell().HoldsRecords());
    EXPECT_EQ(Items(t.Combo(1018)), QStringList{QStringLiteral("*** All ***")});
    EXPECT_EQ(t.Combo(1015)->count(), 16);
    EXPECT_EQ(t.List()->count(), 0);
}

TEST(SpellsExport, SaveAllUsesALevelTypedJustBeforeTheMenuWasOpenedWithTheMouse)
{
    SpellsTab t;
    QLineEdit* from = t.Edit(1016);
    t.P().frame->activateWindow();
    from->setFocus();
    ASSERT_TRUE(from->hasFocus());
    from->selectAll();
    QTest::keyClicks(from, QStringLiteral("30"));

    QMenuBar* bar = t.P().frame->menuBar();
    QAction* fileEntry = bar->actions().constFirst();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(fileEntry).center());
    QMenu* file = fileEntry->menu();
    ASSERT_TRUE(file->isVisible());
    QAction* saveAll = FindCommand({file}, ids::SpellSaveAll);
    ASSERT_NE(saveAll, nullptr);
    QTemporaryDir out;
    const QString all = out.filePath(QStringLiteral("all.txt"));
    t.P().prompts.saveFileAnswers.enqueue(all);
    QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(saveAll).center());

    const QByteArray written = Read(all);
    EXPECT_TRUE(written.contains("Delta"));  // the one spell of level 30
    EXPECT_FALSE(written.contains("Ember"));
}

TEST(SpellsExport, SaveAndSaveAllWriteTheirFilesUnderTheProposedNames)
{
    SpellsTab t;
    QTemporaryDir out;
    t.Choose(1015, QStringLiteral("Wizard"));
    t.Select(QStringLiteral(" 5  Beta"));
    t.P().prompts.saveFileAnswers.enqueue(out.filePath(QStringLiteral("beta.txt")));
    t.P().Command(ids::SpellSave);
    const QString all = out.filePath(QStringLiteral("spells.txt"));
    {
        QFile old(all);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.resize(100000));
    }
    t.P().prompts.saveFileAnswers.enqueue(all);
    t.P().Command(ids::SpellSaveAll);

    ASSERT_EQ(t.P().prompts.shown.size(), 2);
    EXPECT_EQ(t.P().prompts.CountOf(QStringLiteral("SaveFile")), 2);
    EXPECT_EQ(t.P().prompts.shown[0].text + "/" + t.P().prompts.shown[1].text, QStringLiteral("Beta/spells.txt"));
    EXPECT_EQ(t.P().prompts.shown[0].caption, QStringLiteral("txt"));
    std::ostringstream one, list;
    WriteSpellExport(one, SpellsTab::Records(), 2);
    const std::vector<int> listOrder = {0, 1, 2, 4, 6};
    WriteAllSpellsExport(list, SpellsTab::Records(), listOrder);
    EXPECT_EQ(Read(out.filePath(QStringLiteral("beta.txt"))).toStdString(), one.str());
    EXPECT_EQ(Read(all).toStdString(), list.str());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"beta.txt", "spells.txt"}));

    t.Choose(1019, QStringLiteral("Cloak"));  // an empty list gives an empty file
    t.P().prompts.saveFileAnswers.enqueue(all);
    t.P().Command(ids::SpellSaveAll);
    EXPECT_TRUE(QFile::exists(all));
    EXPECT_EQ(QFileInfo(all).size(), 0);
}

TEST(SpellsExport, SaveAsksForASelectionAndReportsFailuresLeavingNoPartialFile)
{
    SpellsTab t;
    QTemporaryDir out;
    t.P().Command(ids::SpellSave);
    EXPECT_EQ(t.P().prompts.Messages(), QStringList{QStringLiteral("Select spell first.")});
    t.Select(QStringLiteral("Ember"));
    t.P().Command(ids::SpellSave);  // no scripted answer: cancelled
    EXPECT_EQ(t.P().prompts.CountOf(QStringLiteral("SaveFile")), 1);

    t.P().prompts.saveFileAnswers.enqueue(out.filePath(QStringLiteral("gone/ember.txt")));
    t.P().Command(ids::SpellSave);
    const QString folder = out.filePath(QStringLiteral("taken"));
    ASSERT_TRUE(QDir(out.path()).mkdir(QStringLiteral("taken")));
    t.P().prompts.saveFileAnswers.enqueue(folder);
    t.P().Command(ids::SpellSaveAll);
    const QString failed = QStringLiteral("Errors while saving this file.");
    EXPECT_EQ(t.P().prompts.Messages(), (QStringList{"Select spell first.", failed, failed}));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("taken")});
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
