#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "archives/EntryNames.h"

#include <algorithm>

namespace {

QList<Line> Sorted(QList<Line> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

class Edit : public ArchiveTabFixture {
protected:
    void SetUp() override
    {
        ArchiveTabFixture::SetUp();
        PutArchive(QStringLiteral("one.pak"), ThreeEntries());
        Open(QStringLiteral("one.pak"));
    }
};

TEST_F(Edit, NewTwiceGivesTwoUnnamedEmptyEntriesAtNewPositions)
{
    SelectEntry(QStringLiteral("beta.wav"));
    tab->NewEntry();
    tab->NewEntry();
    // Lines of equal text may stand in either order.
    EXPECT_EQ(Sorted(EntryLines().mid(0, 2)), QList<Line>({{QStringLiteral(" Unnamed"), 3}, {QStringLiteral(" Unnamed"), 4}}));
    EXPECT_EQ(EntryLines().size(), 5);
    for (int position : {3, 4}) {
        EXPECT_STREQ(EntryAt(position)->GetName(), " Unnamed");
        EXPECT_EQ(EntryAt(position)->GetLength(), 0u);
        EXPECT_EQ(EntryAt(position)->GetCheckSum(), 0u);
    }
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(SelectedEntryText(), QStringLiteral("beta.wav"));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(Edit, AddNamesTheEntryAfterTheFileAndAcceptsADuplicateName)
{
    const QByteArray bytes = PatternBytes(17000, 3);
    prompts.openFileAnswers.enqueue(PutOutsideFile(QStringLiteral("zeta.txt"), bytes));
    tab->AddFileEntry();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("OpenFile"));
    EXPECT_EQ(prompts.shown[0].text, QString());
    EXPECT_EQ(Sorted(EntryLines().mid(2)), QList<Line>({{QStringLiteral("zeta.txt"), 0}, {QStringLiteral("zeta.txt"), 3}}));
    EXPECT_STREQ(EntryAt(3)->GetName(), "zeta.txt");
    QByteArray data(static_cast<qsizetype>(EntryAt(3)->GetLength()), '\0');
    ASSERT_EQ(EntryAt(3)->GetData(data.data()), 0);
    EXPECT_EQ(data, bytes);
    EXPECT_TRUE(tab->IsModified());
}

TEST_F(Edit, AddThatCannotReadTheFileLeavesNothingBehind)
{
    tab->AddFileEntry();  // cancelled
    prompts.openFileAnswers.enqueue(outsideDir.filePath(QStringLiteral("vanished.bin")));
    tab->AddFileEntry();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Errors while loading data file.")}));
    EXPECT_EQ(EntryLines().size(), 3);
    EXPECT_FALSE(tab->IsModified());
    ASSERT_EQ(tab->DataFile()->GetNumEntries(), 4u);
    EXPECT_TRUE(EntryAt(3)->Deleted());
}

TEST_F(Edit, AddRefusesAFileNameThatAnEntryCannotHold)
{
    prompts.openFileAnswers.enqueue(PutOutsideFile(QStringLiteral("\u65E5\u672C.txt"), QByteArray("x")));
    tab->AddFileEntry();
    EXPECT_EQ(prompts.Messages(), QStringList({NameNotStorableMessage()}));
    EXPECT_EQ(tab->DataFile()->GetNumEntries(), 3u);
    EXPECT_EQ(EntryLines().size(), 3);
    EXPECT_FALSE(tab->IsModified());
}

TEST_F(Edit, DeleteAsksFirstAndLeavesOtherLinesOnTheirEntries)
{
    tab->DeleteEntry();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Please select entry to delete first.")}));

    prompts.Clear();
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
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral("beta.wav"), 2}, {QStringLiteral("zeta.txt"), 0}}));
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

TEST_F(Edit, RenameResortsTheLineAndSelectsIt)
{
    SelectEntry(QStringLiteral("zeta.txt"));
    tab->RenameEntry();  // cancelled
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("Rename"));
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("zeta.txt"));
    EXPECT_FALSE(tab->IsModified());
    EXPECT_STREQ(EntryAt(0)->GetName(), "zeta.txt");

    prompts.renameAnswers.enqueue(QStringLiteral("ab first"));
    tab->RenameEntry();
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral("ab first"), 0},
                                         {QStringLiteral("Alpha.bmp"), 1},
                                         {QStringLiteral("beta.wav"), 2}}));
    EXPECT_EQ(entryList.currentRow(), 0);
    EXPECT_EQ(SelectedEntryText(), QStringLiteral("ab first"));
    EXPECT_STREQ(EntryAt(0)->GetName(), "ab first");
    EXPECT_EQ(EntryAt(0)->GetCheckSum(), 111u);
    EXPECT_TRUE(tab->IsModified());
}

TEST_F(Edit, RenameToTheSameOrAnEmptyNameStillCounts)
{
    SelectEntry(QStringLiteral("beta.wav"));
    prompts.renameAnswers.enqueue(QStringLiteral("beta.wav"));
    tab->RenameEntry();
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(SelectedEntryText(), QStringLiteral("beta.wav"));
    EXPECT_EQ(EntryLines().size(), 3);

    prompts.renameAnswers.enqueue(QString());
    tab->RenameEntry();
    EXPECT_STREQ(EntryAt(2)->GetName(), "");
    EXPECT_EQ(EntryLines().first(), Line(QString(), 2));
    EXPECT_EQ(entryList.currentRow(), 0);
    EXPECT_TRUE(entryList.item(0)->isSelected());
}

TEST_F(Edit, RenameStoresLatin1AndRefusesWhatDoesNotFit)
{
    SelectEntry(QStringLiteral("Alpha.bmp"));
    prompts.renameAnswers.enqueue(QStringLiteral("price \u20AC.bmp"));
    tab->RenameEntry();
    EXPECT_EQ(prompts.Messages(), QStringList({NameNotStorableMessage()}));
    EXPECT_STREQ(EntryAt(1)->GetName(), "Alpha.bmp");
    EXPECT_EQ(EntryLines()[0], Line(QStringLiteral("Alpha.bmp"), 1));
    EXPECT_FALSE(tab->IsModified());

    prompts.renameAnswers.enqueue(QStringLiteral("na\u00EFve.bmp"));
    tab->RenameEntry();
    EXPECT_STREQ(EntryAt(1)->GetName(), "na\xEFve.bmp");
    EXPECT_EQ(SelectedEntryText(), QStringLiteral("na\u00EFve.bmp"));
    EXPECT_TRUE(tab->IsModified());
}

TEST_F(Edit, UpdateCrcStoresTheValueButLeavesTheModifiedFlagAndTheList)
{
    tab->UpdateEntryCRC();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Please select entry to update first.")}));

    prompts.Clear();
    SelectEntry(QStringLiteral("Alpha.bmp"));
    const QList<Line> before = EntryLines();
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

TEST_F(Edit, EntryCommandsNeedAnOpenArchive)
{
    tab.reset();
    entryList.clear();
    tab = std::make_unique<DMArchive>(&fileList, &entryList, &archiveLabel, prompts, opener);
    tab->NewEntry();
    tab->AddFileEntry();
    tab->DeleteEntry();
    tab->RenameEntry();
    tab->UpdateEntryCRC();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Please select archive first."),
                                               QStringLiteral("Please select archive first."),
                                               QStringLiteral("Please select archive and entry first."),
                                               QStringLiteral("Please select archive and entry first."),
                                               QStringLiteral("Please select archive and entry first.")}));
    EXPECT_EQ(prompts.shown.size(), 5);
}

}  // namespace
