// The Archive menu's commands on the open archive: New, Add, Delete, Rename,
// Update CRC, and what every entry command says when it has nothing to act on.
#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "archives/EntryNames.h"

#include <algorithm>
#include <functional>

namespace {

Lines Sorted(Lines lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

using Edit = OpenedTab;

TEST_F(Edit, CommandsWithoutAnArchiveOrAnEntrySayWhatIsMissing)
{
    const QString archiveAndEntry = QStringLiteral("Please select archive and entry first.");
    const QString save = QStringLiteral("Please select archive to save first");
    const struct {
        std::function<void(DMArchive&)> command;
        QString withoutArchive, withoutEntry;
    } cases[] = {
        {&DMArchive::NewEntry, QStringLiteral("Please select archive first."), QString()},
        {&DMArchive::AddFileEntry, QStringLiteral("Please select archive first."), QString()},
        {&DMArchive::DeleteEntry, archiveAndEntry, QStringLiteral("Please select entry to delete first.")},
        {&DMArchive::RenameEntry, archiveAndEntry, QStringLiteral("Please select entry to rename first.")},
        {&DMArchive::UpdateEntryCRC, archiveAndEntry, QStringLiteral("Please select entry to update first.")},
        {&DMArchive::SaveEntryData, archiveAndEntry, QStringLiteral("Please select entry to save first.")},
        {&DMArchive::LoadEntryData, archiveAndEntry, QStringLiteral("Please select entry to load first.")},
        {&DMArchive::SaveArchive, save, QString()},
        {&DMArchive::SaveArchiveAs, save, QString()},
    };
    for (const auto& c : cases) {
        if (c.withoutEntry.isEmpty())
            continue;
        prompts.Clear();
        entryList.clearSelection();
        c.command(*tab);
        EXPECT_EQ(prompts.Messages(), QStringList({c.withoutEntry}));
        EXPECT_EQ(prompts.shown.size(), 1);
    }
    EXPECT_FALSE(tab->IsModified());

    NewTab();
    for (const auto& c : cases) {
        prompts.Clear();
        c.command(*tab);
        EXPECT_EQ(prompts.Messages(), QStringList({c.withoutArchive}));
        EXPECT_EQ(prompts.shown.size(), 1);
    }
}

TEST_F(Edit, NewAndAddGiveEntriesAtNewPositionsAndSkipWhatCannotBeRead)
{
    SelectEntry(QStringLiteral("beta.wav"));
    tab->NewEntry();
    tab->NewEntry();
    // Lines of equal text may stand in either order.
    EXPECT_EQ(Sorted(EntryLines().mid(0, 2)), Lines({{QStringLiteral(" Unnamed"), 3}, {QStringLiteral(" Unnamed"), 4}}));
    for (int position : {3, 4}) {
        EXPECT_STREQ(EntryAt(position)->GetName(), " Unnamed");
        EXPECT_EQ(EntryAt(position)->GetLength(), 0u);
        EXPECT_EQ(EntryAt(position)->GetCheckSum(), 0u);
    }
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(SelectedEntryText(), QStringLiteral("beta.wav"));
    EXPECT_TRUE(prompts.shown.isEmpty());

    // Add names the entry after the file and accepts a name that is there already.
    const QByteArray bytes = Pattern(17000, 3);
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("zeta.txt"), bytes, true));
    tab->AddFileEntry();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("OpenFile"));
    EXPECT_EQ(prompts.shown[0].text, QString());
    EXPECT_EQ(Sorted(EntryLines().mid(4)), Lines({{QStringLiteral("zeta.txt"), 0}, {QStringLiteral("zeta.txt"), 5}}));
    EXPECT_STREQ(EntryAt(5)->GetName(), "zeta.txt");
    EXPECT_EQ(DataAt(5), bytes);

    // A cancelled dialog, a file that cannot be read and a name an entry cannot hold add nothing.
    prompts.Clear();
    tab->AddFileEntry();
    prompts.openFileAnswers.enqueue(outsideDir.filePath(QStringLiteral("vanished.bin")));
    tab->AddFileEntry();
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("\u65E5\u672C.txt"), QByteArray("x"), true));
    tab->AddFileEntry();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Errors while loading data file."), NameNotStorableMessage()}));
    EXPECT_EQ(EntryLines().size(), 6);
    ASSERT_EQ(tab->DataFile()->GetNumEntries(), 7u);
    EXPECT_TRUE(EntryAt(6)->Deleted());
}

TEST_F(Edit, DeleteAsksFirstAndLeavesOtherLinesOnTheirEntries)
{
    SelectEntry(QStringLiteral("Alpha.bmp"));
    tab->DeleteEntry();  // answered No
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("Are you sure you want to delete: Alpha.bmp"));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("Confirm Delete"));
    EXPECT_EQ(EntryLines().size(), 3);
    EXPECT_FALSE(EntryAt(1)->Deleted());
    EXPECT_FALSE(tab->IsModified());

    prompts.questionAnswers.enqueue(true);
    tab->DeleteEntry();
    EXPECT_TRUE(EntryAt(1)->Deleted());
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("beta.wav"), 2}, {QStringLiteral("zeta.txt"), 0}}));
    EXPECT_TRUE(entryList.selectedItems().isEmpty());
    EXPECT_TRUE(tab->IsModified());

    // The remaining lines still reach their own entries.
    SelectEntry(QStringLiteral("zeta.txt"));
    prompts.checkSumAnswers.enqueue(5u);
    tab->UpdateEntryCRC();
    EXPECT_EQ(EntryAt(0)->GetCheckSum(), 5u);
    SelectEntry(QStringLiteral("beta.wav"));
    prompts.renameAnswers.enqueue(QStringLiteral("gamma.wav"));
    tab->RenameEntry();
    EXPECT_STREQ(EntryAt(2)->GetName(), "gamma.wav");
    EXPECT_STREQ(EntryAt(1)->GetName(), "Alpha.bmp");
}

TEST_F(Edit, RenameStoresCodePageBytesResortsTheLineAndSelectsIt)
{
    SelectEntry(QStringLiteral("zeta.txt"));
    tab->RenameEntry();  // cancelled
    const QString unstorable = QStringLiteral("price \u0100.bmp");
    prompts.renameAnswers.enqueue(unstorable);
    tab->RenameEntry();  // refused, back in the dialog with the typed text, then cancelled
    ASSERT_EQ(prompts.shown.size(), 4);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("Rename"));
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("zeta.txt"));
    ASSERT_EQ(prompts.Messages().size(), 1);
    EXPECT_TRUE(prompts.Messages()[0].startsWith(NameNotStorableMessage()));
    EXPECT_TRUE(prompts.Messages()[0].contains(QStringLiteral("U+0100")));
    EXPECT_EQ(prompts.shown[3].kind, QStringLiteral("Rename"));
    EXPECT_EQ(prompts.shown[3].text, unstorable);
    EXPECT_STREQ(EntryAt(0)->GetName(), "zeta.txt");
    EXPECT_FALSE(tab->IsModified());

    prompts.renameAnswers.enqueue(QStringLiteral("zeta.txt"));
    tab->RenameEntry();
    EXPECT_TRUE(tab->IsModified());  // the same name still counts
    EXPECT_EQ(SelectedEntryText(), QStringLiteral("zeta.txt"));

    const struct {
        QString name;
        QByteArray stored;
        Lines lines;
    } steps[] = {
        {QStringLiteral("ab f\u00EFrst"), "ab f\xEFrst",
         {{QStringLiteral("ab f\u00EFrst"), 0}, {QStringLiteral("Alpha.bmp"), 1}, {QStringLiteral("beta.wav"), 2}}},
        {QStringLiteral("omega"), "omega",
         {{QStringLiteral("Alpha.bmp"), 1}, {QStringLiteral("beta.wav"), 2}, {QStringLiteral("omega"), 0}}},
        {QString(), "", {{QString(), 0}, {QStringLiteral("Alpha.bmp"), 1}, {QStringLiteral("beta.wav"), 2}}},
    };
    for (const auto& step : steps) {
        prompts.renameAnswers.enqueue(step.name);
        tab->RenameEntry();
        EXPECT_EQ(QByteArray(EntryAt(0)->GetName()), step.stored);
        EXPECT_EQ(EntryAt(0)->GetCheckSum(), 111u);
        EXPECT_EQ(EntryLines(), step.lines);
        EXPECT_EQ(entryList.currentRow(), step.lines.indexOf(Line(step.name, 0)));
        EXPECT_EQ(SelectedEntryText(), step.name);
    }
}

TEST_F(Edit, UpdateCrcStoresTheValueButLeavesTheModifiedFlagAndTheList)
{
    SelectEntry(QStringLiteral("Alpha.bmp"));
    const Lines before = EntryLines();
    prompts.checkSumAnswers.enqueue(4294967295u);
    tab->UpdateEntryCRC();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("222"));
    EXPECT_EQ(EntryAt(1)->GetCheckSum(), 4294967295u);
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(EntryLines(), before);

    tab->NewEntry();
    prompts.checkSumAnswers.enqueue(std::nullopt);
    tab->UpdateEntryCRC();
    EXPECT_EQ(EntryAt(1)->GetCheckSum(), 4294967295u);
    EXPECT_TRUE(tab->IsModified());
}

}  // namespace
