// The Spells tab as a user meets it: filters, level rules, order,
// description, load failures and retry, Save and Save All.

#include "SpellsTabFixture.h"

#include "ProgramFacts.h"
#include "spells/SpellDescription.h"
#include "spells/SpellExport.h"

#include <QMenuBar>

#include <sstream>

using namespace tomelens::core;

namespace {
const QStringList kAllUsable = {"alpha", "Beta", "Delta", "Ember", "Gamma", "Zeta"};
const QStringList kWizard = {" 3  Ember", " 5  alpha", " 5  Beta", "12  Gamma", "30  Delta"};
const QString kOpenTip = QStringLiteral("Tip: Use \"File\" -> \"Select Directory ...\" command to find spdat.eff file");
}  // namespace

TEST(SpellsTab, FiltersStartOnAllAndNarrowTheListAndTheLevelRulesAreWrittenBack)
{
    SpellsTab t;
    EXPECT_EQ(t.Combo(1015)->count(), 16);
    // Only the skills that named records use; skill 200 has no entry.
    EXPECT_EQ(Items(t.Combo(1018)), (QStringList{"*** All ***", "Conjuration", "Divination", "Evocation"}));
    for (int id : {1015, 1018, 1019})
        EXPECT_EQ(t.Combo(id)->currentText(), QStringLiteral("*** All ***")) << id;
    EXPECT_EQ(t.Edit(1016)->text() + "-" + t.Edit(1017)->text(), QStringLiteral("1-50"));
    EXPECT_EQ(t.Lines(), kAllUsable);

    const struct Step {
        const char *classes, *skill, *effect, *from, *to, *shown;
        QStringList lines;
    } steps[] = {
        {"Wizard", "*** All ***", "*** All ***", "30", "20", "30-30", {"30  Delta"}},
        {"*** Not available ***", "*** All ***", "*** All ***", "40", "45", "40-45", {"Nothing"}},
        {"*** All ***", "Conjuration", "*** All ***", "1", "50", "1-50", {"alpha", "Beta"}},
        {"*** All ***", "*** All ***", "Invisibility", "1", "50", "1-50", {"Gamma"}},
    };
    for (const Step& s : steps) {
        t.Choose(1015, QString::fromLatin1(s.classes));
        t.Choose(1018, QString::fromLatin1(s.skill));
        t.Choose(1019, QString::fromLatin1(s.effect));
        t.Levels(QString::fromLatin1(s.from), QString::fromLatin1(s.to));
        const std::string what = std::string(s.classes) + " " + s.skill + " " + s.effect + " " + s.from + "-" + s.to;
        EXPECT_EQ(t.Edit(1016)->text() + "-" + t.Edit(1017)->text(), QString::fromLatin1(s.shown)) << what;
        EXPECT_EQ(t.Lines(), s.lines) << what;
    }
    EXPECT_TRUE(t.P().prompts.shown.isEmpty());
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
    // Leaving the edit reruns the query, even unchanged.
    t.Leave(1016);
    EXPECT_TRUE(t.List()->selectedItems().isEmpty());
    EXPECT_TRUE(t.Description().isEmpty());

    // Another tab and back: filters and list stay.
    t.P().SelectTab(0);
    t.P().SelectTab(1);
    EXPECT_EQ(t.Combo(1015)->currentText(), QStringLiteral("Wizard"));
    EXPECT_EQ(t.Lines(), kWizard);
}

TEST(SpellsTab, LoadFailuresAreToldWithATipAndAnEmptyFileIsNone)
{
    const QString contact = QString::fromLatin1(kMakerContact);
    const struct {
        std::optional<QByteArray> file;
        QStringList messages;
        QString tip;
        bool holds;
    } cases[] = {
        {std::nullopt, {"Can't open spdat.eff file"}, kOpenTip, false},
        {QByteArray(561, 'x'), {"Invalid spdat.eff file. Please report this error to " + contact + "."},
         "Tip: Please report this error to " + contact, false},
        {QByteArray(), {}, "Tip: ", true},
    };
    for (const auto& c : cases) {
        SpellsTab t(c.file);
        EXPECT_EQ(t.P().prompts.Messages(), c.messages) << c.tip.toStdString();
        EXPECT_EQ(t.P().Tip(), c.tip);
        EXPECT_EQ(t.P().view->Spell().HoldsRecords(), c.holds) << c.tip.toStdString();
        EXPECT_EQ(t.List()->count(), 0);
    }
}

TEST(SpellsTab, MissingFileIsRetriedByEveryQueryUntilItAppears)
{
    SpellsTab t(std::nullopt);
    EXPECT_EQ(t.Combo(1015)->count(), 0);
    EXPECT_EQ(t.Edit(1016)->text(), QStringLiteral("0"));  // the query did not run

    QTest::mouseClick(t.P().Find<QPushButton>(1025), Qt::LeftButton);
    EXPECT_EQ(t.P().prompts.Messages().size(), 2);
    EXPECT_EQ(t.P().Tip(), kOpenTip);

    t.game.WriteSpells(SpellsTab::Records());
    t.Leave(1017);
    EXPECT_EQ(t.P().prompts.Messages().size(), 2);
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: "));
    // The filters stay empty; the query uses every class, skill and effect.
    EXPECT_EQ(t.Combo(1015)->count(), 0);
    EXPECT_EQ(t.Lines(), kAllUsable);
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

    const QByteArray written = ReadBytes(all);
    EXPECT_TRUE(written.contains("Delta"));  // the one spell of level 30
    EXPECT_FALSE(written.contains("Ember"));
}

TEST(SpellsExport, SaveAndSaveAllWriteTheSelectedOrListedSpellsUnderTheProposedNames)
{
    SpellsTab t;
    QTemporaryDir out;
    t.Choose(1015, QStringLiteral("Wizard"));
    t.Select(QStringLiteral(" 5  Beta"));
    t.P().prompts.saveFileAnswers.enqueue(out.filePath(QStringLiteral("beta.txt")));
    t.P().Command(ids::SpellSave);
    const QString all = out.filePath(QStringLiteral("spells.txt"));
    t.P().prompts.saveFileAnswers.enqueue(all);
    t.P().Command(ids::SpellSaveAll);

    ASSERT_EQ(t.P().prompts.shown.size(), 2);
    EXPECT_EQ(t.P().prompts.shown[0].text + "/" + t.P().prompts.shown[1].text, QStringLiteral("Beta/spells.txt"));
    EXPECT_EQ(t.P().prompts.shown[0].caption, QStringLiteral("txt"));
    std::ostringstream one, list;
    WriteSpellExport(one, SpellsTab::Records(), 2);
    WriteAllSpellsExport(list, SpellsTab::Records(), std::vector<int>{0, 1, 2, 4, 6});  // the list's order
    EXPECT_EQ(ReadBytes(out.filePath(QStringLiteral("beta.txt"))).toStdString(), one.str());
    EXPECT_EQ(ReadBytes(all).toStdString(), list.str());

    t.Choose(1019, QStringLiteral("Cloak"));  // an empty list gives an empty file
    t.P().prompts.saveFileAnswers.enqueue(all);
    t.P().Command(ids::SpellSaveAll);
    EXPECT_TRUE(QFile::exists(all));
    EXPECT_EQ(QFileInfo(all).size(), 0);
}

TEST(SpellsExport, SaveAsksForASelectionAndReportsFailures)
{
    SpellsTab t;
    QTemporaryDir out;
    t.P().Command(ids::SpellSave);
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
}

TEST(SpellsTab, GameTextsShowInTheGamesCodePageAndTheProposedNameNeverLeavesTheChosenFolder)
{
    // 0x92 and 0x80 are a closing quote and the euro sign there, not control characters.
    SpellsTab t(std::vector<SpellRecord>{MakeSpell("Elf\x92s \x80 Fire/Ice", 0, 1)});
    EXPECT_EQ(t.Lines(), QStringList{QStringLiteral("Elf\u2019s \u20ac Fire/Ice")});
    t.List()->setCurrentRow(0);
    t.P().Command(ids::SpellSave);
    EXPECT_EQ(t.P().prompts.shown.value(0).text, QStringLiteral("Elf\u2019s \u20ac Fire_Ice"));
}
