// The Archive menu's commands on the open archive: New, Add, Delete, Rename,
// Update CRC, and what every entry command says when it has nothing to act on.
#include "ArchiveTabFixture.h"

#include "archives/EntryNames.h"

#include <functional>

namespace {

using Edit = OpenedTab;

TEST_F(Edit, CommandsWithoutAnArchiveOrAnEntrySayWhatIsMissing)
{
    const QString archive = QStringLiteral("Please select archive first.");
    const QString both = QStringLiteral("Please select archive and entry first.");
    const QString save = QStringLiteral("Please select archive to save first");
    const struct {
        std::function<void(DMArchive&)> command;
        QString withoutArchive, withoutEntry;
    } cases[] = {
        {&DMArchive::NewEntry, archive, {}}, {&DMArchive::AddFileEntry, archive, {}},
        {&DMArchive::DeleteEntry, both, QStringLiteral("Please select entry to delete first.")},
        {&DMArchive::RenameEntry, both, QStringLiteral("Please select entry to rename first.")},
        {&DMArchive::UpdateEntryCRC, both, QStringLiteral("Please select entry to update first.")},
        {&DMArchive::SaveEntryData, both, QStringLiteral("Please select entry to save first.")},
        {&DMArchive::LoadEntryData, both, QStringLiteral("Please select entry to load first.")},
        {&DMArchive::SaveArchive, save, {}}, {&DMArchive::SaveArchiveAs, save, {}},
    };
    for (const auto& c : cases) {
        if (c.withoutEntry.isEmpty())
            continue;
        prompts.Clear();
        panel.ClearSelection();
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
    EXPECT_EQ(EntryLines().first(), Line(QStringLiteral(" Unnamed"), 3));
    EXPECT_EQ(EntryAt(3)->GetLength(), 0u);
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(panel.View()->currentIndex().row(), 2);  // still on beta.wav

    // Add names the entry after the file and accepts a name that is there already.
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("zeta.txt"), "added", true));
    tab->AddFileEntry();
    EXPECT_EQ(Names(EntryLines()).count(QStringLiteral("zeta.txt")), 2);

    // A cancelled dialog, a file that cannot be read and a name an entry cannot hold add nothing.
    prompts.Clear();
    tab->AddFileEntry();
    prompts.openFileAnswers.enqueue(outsideDir.filePath(QStringLiteral("vanished.bin")));
    tab->AddFileEntry();
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("\u65E5\u672C.txt"), QByteArray("x"), true));
    tab->AddFileEntry();
    EXPECT_EQ(FirstLines(prompts.Messages()),
              QStringList({QStringLiteral("Errors while loading data file."), NameNotStorableMessage()}));
    EXPECT_TRUE(prompts.Messages().value(0).contains(QStringLiteral("vanished.bin: no such file")))
        << prompts.Messages().value(0).toStdString();
    EXPECT_EQ(EntryLines().size(), 5);
}

TEST_F(Edit, DeleteAsksFirstAndLeavesOtherLinesOnTheirEntries)
{
    SelectEntry(QStringLiteral("Alpha.bmp"));
    tab->DeleteEntry();  // answered No
    EXPECT_EQ(prompts.Questions(), QStringList({QStringLiteral("Are you sure you want to delete: Alpha.bmp")}));
    EXPECT_EQ(prompts.shown.value(0).caption, QStringLiteral("Confirm Delete"));
    EXPECT_FALSE(EntryAt(1)->Deleted());
    EXPECT_FALSE(tab->IsModified());

    prompts.questionAnswers.enqueue(true);
    tab->DeleteEntry();
    EXPECT_TRUE(EntryAt(1)->Deleted());
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("beta.wav"), 2}, {QStringLiteral("zeta.txt"), 0}}));
    EXPECT_TRUE(tab->IsModified());

    // The remaining lines still reach their own entries.
    SelectEntry(QStringLiteral("beta.wav"));
    prompts.renameAnswers.enqueue(QStringLiteral("gamma.wav"));
    tab->RenameEntry();
    EXPECT_STREQ(EntryAt(2)->GetName(), "gamma.wav");
    EXPECT_STREQ(EntryAt(1)->GetName(), "Alpha.bmp");
}

TEST_F(Edit, RenameStoresCodePageBytesResortsTheLineAndSelectsIt)
{
    SelectEntry(QStringLiteral("zeta.txt"));
    const QString unstorable = QStringLiteral("price \u0100.bmp");
    prompts.renameAnswers.enqueue(unstorable);
    tab->RenameEntry();  // refused, back in the dialog with the typed text, then cancelled
    ASSERT_EQ(prompts.shown.size(), 3);
    EXPECT_EQ(prompts.shown.value(0).text, QStringLiteral("zeta.txt"));
    EXPECT_TRUE(prompts.shown.value(1).text.startsWith(NameNotStorableMessage()));
    EXPECT_EQ(prompts.shown.value(2).text, unstorable);
    EXPECT_STREQ(EntryAt(0)->GetName(), "zeta.txt");
    EXPECT_FALSE(tab->IsModified());

    // Stored in the code page, the line moves to its new place and stays selected.
    prompts.renameAnswers.enqueue(QStringLiteral("ab f\u00EFrst"));
    tab->RenameEntry();
    EXPECT_EQ(QByteArray(EntryAt(0)->GetName()), "ab f\xEFrst");
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("ab f\u00EFrst"), 0}, {QStringLiteral("Alpha.bmp"), 1}, {QStringLiteral("beta.wav"), 2}}));
    EXPECT_EQ(panel.View()->currentIndex().row(), 0);
    EXPECT_TRUE(tab->IsModified());
    prompts.renameAnswers.enqueue(QString());  // an empty name is a name too
    tab->RenameEntry();
    EXPECT_EQ(EntryLines().value(0), Line(QString(), 0));
}

TEST_F(Edit, UpdateCrcStoresTheValueButLeavesTheModifiedFlag)
{
    SelectEntry(QStringLiteral("Alpha.bmp"));
    prompts.checkSumAnswers << 4294967295u << std::nullopt;
    tab->UpdateEntryCRC();
    EXPECT_EQ(prompts.shown.value(0).text, QStringLiteral("222"));
    EXPECT_EQ(EntryAt(1)->GetCheckSum(), 4294967295u);
    EXPECT_FALSE(tab->IsModified());
    tab->UpdateEntryCRC();  // cancelled
    EXPECT_EQ(EntryAt(1)->GetCheckSum(), 4294967295u);
}

}  // namespace
