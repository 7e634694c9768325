// The entry list as a table: details and totals, the filter and the keys.
#include "ArchiveTabFixture.h"

#include "archives/EntryTableModel.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

using EntryTable = OpenedTab;

void Press(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

TEST_F(EntryTable, ShowsDetailsInColumnsAndTotalsWhatIsShown)
{
    const QModelIndex alpha = panel.View()->model()->index(0, 0);
    ASSERT_EQ(alpha.data().toString(), QStringLiteral("Alpha.bmp"));
    EXPECT_EQ(alpha.siblingAtColumn(EntryTableModel::SizeColumn).data().toString(), QStringLiteral("20000"));
    EXPECT_EQ(alpha.siblingAtColumn(EntryTableModel::CheckSumColumn).data().toString(), QStringLiteral("000000de"));
    // 20000 + 8192 + 31 bytes
    EXPECT_TRUE(panel.SummaryText().startsWith(QStringLiteral("3 entries, 27.6 KiB, "))) << panel.SummaryText().toStdString();

    panel.FilterField()->setText(QStringLiteral("alpha"));
    EXPECT_TRUE(panel.SummaryText().startsWith(QStringLiteral("1 entry, 19.5 KiB, ")));
}

TEST_F(EntryTable, FilterMatchesTextOrWildcardsIgnoringCaseAndEscapeClearsIt)
{
    const struct {
        const char* pattern;
        QStringList names;
    } cases[] = {
        {"ALPHA", {"Alpha.bmp"}}, {"ta.", {"beta.wav", "zeta.txt"}}, {"*.WAV", {"beta.wav"}},
        {"?eta*", {"beta.wav", "zeta.txt"}}, {"*.bm", {}}, {"*a.?mp", {"Alpha.bmp"}}, {"", {"Alpha.bmp", "beta.wav", "zeta.txt"}},
    };
    QLineEdit* field = panel.FilterField();
    // The selection stays on an entry the filter keeps.
    SelectEntry(QStringLiteral("beta.wav"));
    field->setText(QStringLiteral("ta."));
    EXPECT_EQ(panel.SelectedPositions(), std::vector<int>({2}));
    EXPECT_EQ(panel.CommandPosition(), 2);
    for (const auto& c : cases) {
        field->setText(QString::fromLatin1(c.pattern));
        EXPECT_EQ(Names(EntryLines()), c.names) << c.pattern;
    }

    // New entries are filtered too.
    field->setText(QStringLiteral("*.txt"));
    tab->NewEntry();
    EXPECT_EQ(Names(EntryLines()), QStringList({"zeta.txt"}));
    Press(field, Qt::Key_Escape);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(EntryLines().size(), 4);
}

TEST_F(EntryTable, KeysViewDeleteAndRenameTheEntryAndOpenTheFile)
{
    QWidget* view = panel.View();
    SelectEntry(QStringLiteral("beta.wav"));
    Press(view, Qt::Key_Return);
    EXPECT_EQ(opener.opened.size(), 1);
    Press(view, Qt::Key_F2);
    Press(view, Qt::Key_Delete);
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown.value(0).kind, QStringLiteral("Rename"));
    EXPECT_EQ(prompts.shown.value(1).text, QStringLiteral("Are you sure you want to delete: beta.wav"));

    // Enter in the data-file list opens the selected file.
    SelectFile(QStringLiteral("one.pak"));
    tab->NewEntry();
    prompts.questionAnswers.enqueue(true);
    Press(&fileList, Qt::Key_Enter);
    EXPECT_EQ(EntryLines().size(), 3);
    EXPECT_TRUE(tips.last().startsWith(QStringLiteral("Now you can DblClick")));
}

}  // namespace
