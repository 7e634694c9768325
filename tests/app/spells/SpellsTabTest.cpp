#include "SpellsTabFixture.h"

#include "resources/ResourceIds.h"
#include "spells/Contact.h"
#include "spells/SpellDescription.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include <sstream>

namespace {
int Datum(const QComboBox* combo, const QString& text)
{
    return combo->itemData(combo->findText(text)).toInt();
}
const QString kOpenTip =
    QStringLiteral("Tip: Use \"File\" -> \"Select Directory ...\" command to find spdat.eff file");
}  // namespace

TEST(SpellsTab, FirstActivationFillsTheFiltersAndListsEveryUsableSpell)
{
    SpellsTab t;
    QComboBox* classes = t.Combo(1015);
    EXPECT_EQ(SpellsTab::Items(classes),
              (QStringList{"*** All ***", "*** Not available ***", "Bard", "Cleric", "Druid",
                           "Enchanter", "Magician", "Monk", "Necromancer", "Paladin", "Ranger",
                           "Rogue", "Shaddow Knight", "Shaman", "Warrior", "Wizard"}));
    EXPECT_EQ(classes->currentText(), QStringLiteral("*** All ***"));
    EXPECT_EQ(Datum(classes, QStringLiteral("*** All ***")), 14);
    EXPECT_EQ(Datum(classes, QStringLiteral("*** Not available ***")), 256);
    EXPECT_EQ(Datum(classes, QStringLiteral("Rogue")), 6);
    EXPECT_EQ(Datum(classes, QStringLiteral("Druid")), 5);

    // Only the skills that named records use; skill 200 has no entry.
    QComboBox* skills = t.Combo(1018);
    EXPECT_EQ(SpellsTab::Items(skills),
              (QStringList{"*** All ***", "Conjuration", "Divination", "Evocation"}));
    EXPECT_EQ(Datum(skills, QStringLiteral("*** All ***")), 74);
    EXPECT_EQ(Datum(skills, QStringLiteral("Evocation")), 24);
    EXPECT_EQ(skills->currentText(), QStringLiteral("*** All ***"));

    QComboBox* effects = t.Combo(1019);
    EXPECT_EQ(effects->count(), 76);
    EXPECT_EQ(effects->itemText(0), QStringLiteral("*** All ***"));
    EXPECT_EQ(effects->currentData().toInt(), 127);
    EXPECT_EQ(Datum(effects, QStringLiteral("Invisibility")), 12);

    EXPECT_EQ(t.Edit(1016)->text(), QStringLiteral("1"));
    EXPECT_EQ(t.Edit(1017)->text(), QStringLiteral("50"));
    EXPECT_EQ(t.Lines(), (QStringList{"alpha", "Beta", "Delta", "Ember", "Gamma", "Zeta"}));
    EXPECT_TRUE(t.P().prompts.shown.isEmpty());
}

TEST(SpellsTab, SingleClassLinesCarryTheLevelAndSortByLevelThenName)
{
    SpellsTab t;
    t.Choose(1015, QStringLiteral("Wizard"));
    EXPECT_EQ(t.Lines(), (QStringList{" 3  Ember", " 5  alpha", " 5  Beta", "12  Gamma", "30  Delta"}));
    // Each line still finds its record.
    t.Select(QStringLiteral("12  Gamma"));
    EXPECT_TRUE(t.Description()->toPlainText().contains(QStringLiteral("Invisibility: 1")));
}

TEST(SpellsTab, LevelRangeRulesAreWrittenBack)
{
    SpellsTab t;
    t.Choose(1015, QStringLiteral("Wizard"));
    t.Levels(QStringLiteral("30"), QStringLiteral("20"));
    EXPECT_EQ(t.Edit(1017)->text(), QStringLiteral("30"));
    EXPECT_EQ(t.Lines(), QStringList{QStringLiteral("30  Delta")});

    t.Levels(QStringLiteral("abc"), QString());
    EXPECT_EQ(t.Edit(1016)->text(), QStringLiteral("1"));
    EXPECT_EQ(t.Edit(1017)->text(), QStringLiteral("50"));

    t.Levels(QStringLiteral("0"), QStringLiteral(" 4x"));
    EXPECT_EQ(t.Edit(1016)->text(), QStringLiteral("1"));
    EXPECT_EQ(t.Edit(1017)->text(), QStringLiteral("4"));
    EXPECT_EQ(t.Lines(), QStringList{QStringLiteral(" 3  Ember")});

    // All classes up to 61: the marker of unusable classes lies inside the range.
    t.Choose(1015, QStringLiteral("*** All ***"));
    t.Levels(QStringLiteral("1"), QStringLiteral("61"));
    EXPECT_TRUE(t.Lines().contains(QStringLiteral("Nothing")));
}

TEST(SpellsTab, NotAvailableListsOnlySpellsNoClassCanUse)
{
    SpellsTab t;
    t.Levels(QStringLiteral("40"), QStringLiteral("45"));
    t.Choose(1015, QStringLiteral("*** Not available ***"));
    EXPECT_EQ(t.Lines(), QStringList{QStringLiteral("Nothing")});
}

TEST(SpellsTab, SkillAndEffectFilters)
{
    SpellsTab t;
    t.Choose(1018, QStringLiteral("Conjuration"));
    EXPECT_EQ(t.Lines(), (QStringList{"alpha", "Beta"}));
    t.Choose(1018, QStringLiteral("*** All ***"));
    t.Choose(1019, QStringLiteral("Invisibility"));
    EXPECT_EQ(t.Lines(), QStringList{QStringLiteral("Gamma")});
    t.Choose(1018, QStringLiteral("Conjuration"));
    EXPECT_TRUE(t.Lines().isEmpty());
}

TEST(SpellsTab, SelectingDescribesTheSpellAndTellsAboutSave)
{
    SpellsTab t;
    t.Select(QStringLiteral("Ember"));
    const QString text = t.Description()->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Mana:\t17\nSkill:\tEvocation\n\nMessages:\n\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Effects: \n\tHealing/Damage: (negative) 25\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Classes: \n\tWizard: 3\n")));
    std::ostringstream expected;
    DescribeSpell(expected, SpellsTab::Records()[0], std::string());
    EXPECT_EQ(text.toStdString(), expected.str());
    EXPECT_EQ(t.P().Tip(),
              QStringLiteral("Tip: You may use \"File\"->\"Save\" command to save spell "
                             "information into the file"));

    t.List()->clearSelection();
    EXPECT_TRUE(t.Description()->toPlainText().isEmpty());
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: Select spell in left list"));
}

TEST(SpellsTab, LeavingALevelEditRerunsTheQueryEvenUnchanged)
{
    SpellsTab t;
    t.Select(QStringLiteral("Beta"));
    ASSERT_FALSE(t.Description()->toPlainText().isEmpty());
    // Another window taking the focus is not leaving the edit.
    t.Leave(1016, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(t.List()->selectedItems().size(), 1);
    t.Leave(1016);
    EXPECT_TRUE(t.List()->selectedItems().isEmpty());
    EXPECT_TRUE(t.Description()->toPlainText().isEmpty());
    EXPECT_EQ(t.List()->count(), 6);
}

TEST(SpellsTab, SwitchingTabsKeepsFiltersAndList)
{
    SpellsTab t;
    t.Choose(1015, QStringLiteral("Wizard"));
    t.Levels(QStringLiteral("5"), QStringLiteral("12"));
    const QStringList lines = t.Lines();
    t.P().SelectTab(0);
    t.P().SelectTab(1);
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: "));
    EXPECT_EQ(t.Combo(1015)->currentText(), QStringLiteral("Wizard"));
    EXPECT_EQ(t.Edit(1016)->text(), QStringLiteral("5"));
    EXPECT_EQ(t.Lines(), lines);
}

TEST(SpellsTab, MissingFileIsReportedAndRetriedUntilItAppears)
{
    SpellsTab t(false);
    EXPECT_EQ(t.P().prompts.Messages(), QStringList{QStringLiteral("Can't open spdat.eff file")});
    EXPECT_EQ(t.P().Tip(), kOpenTip);
    EXPECT_EQ(t.Combo(1015)->count(), 0);
    EXPECT_EQ(t.Edit(1016)->text(), QStringLiteral("0"));  // the query did not run

    // Every later query tries again.
    QTest::mouseClick(t.P().Find<QPushButton>(1025), Qt::LeftButton);
    EXPECT_EQ(t.P().prompts.Messages().size(), 2);
    EXPECT_EQ(t.P().Tip(), kOpenTip);

    t.game.WriteSpells(SpellsTab::Records());
    t.Leave(1017);
    EXPECT_EQ(t.P().prompts.Messages().size(), 2);
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: "));
    // The filters stay empty; the query uses every class, skill and effect.
    EXPECT_EQ(t.Combo(1015)->count(), 0);
    EXPECT_EQ(t.Lines(), (QStringList{"alpha", "Beta", "Delta", "Ember", "Gamma", "Zeta"}));

    // A new game directory fills them from the records already held.
    t.P().prompts.gameFileAnswers.enqueue(t.game.File(QStringLiteral("spdat.eff")));
    t.P().Command(ids::FileOpen);
    EXPECT_EQ(t.Combo(1015)->currentText(), QStringLiteral("*** All ***"));
    EXPECT_EQ(t.Combo(1018)->count(), 4);
}

TEST(SpellsTab, FileOfWrongLengthIsReportedWithTheContactAddress)
{
    SpellsTab t(false, QByteArray(561, 'x'));
    const QString contact = QString::fromLatin1(kMakerContact);
    EXPECT_EQ(t.P().prompts.Messages(),
              QStringList{QStringLiteral("Invalid spdat.eff file. Please report this error to ") +
                          contact + QStringLiteral(".")});
    EXPECT_EQ(t.P().Tip(), QStringLiteral("Tip: Please report this error to ") + contact);
    EXPECT_FALSE(t.P().view->Spell().HoldsRecords());
}

TEST(SpellsTab, EmptyFileListsNothingWithoutAMessage)
{
    SpellsTab t(false, QByteArray());
    EXPECT_TRUE(t.P().prompts.shown.isEmpty());
    EXPECT_TRUE(t.P().view->Spell().HoldsRecords());
    EXPECT_EQ(SpellsTab::Items(t.Combo(1018)), QStringList{QStringLiteral("*** All ***")});
    EXPECT_EQ(t.Combo(1015)->count(), 16);
    EXPECT_EQ(t.List()->count(), 0);
}

TEST(SpellsTab, RecordsReadOnceStayForTheRun)
{
    SpellsTab t;
    GameDir other;
    other.WriteSpells({MakeSpell("Other", 0, 1)});
    t.P().prompts.gameFileAnswers.enqueue(other.File(QStringLiteral("spdat.eff")));
    t.P().Command(ids::FileOpen);
    EXPECT_EQ(t.List()->count(), 6);
    EXPECT_TRUE(t.List()->findItems(QStringLiteral("Other"), Qt::MatchExactly).isEmpty());
}
