#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "spells/Contact.h"

namespace {

const QString kOpenedTip = QStringLiteral(
    "Now you can DblClick on any file in rigth list to view. Also use \"Archive\" menu commands to modify it.");
const QString kBadFormatTip =
    QStringLiteral("Hmm this file looks to be not in right format. Please EMail me details about it: ") +
    QString::fromLatin1(kMakerContact);
const QString kSkipText = QStringLiteral("Current archive was modified.\nDo you want to skip changes?");

using OpenArchive = ArchiveTabFixture;

// An archive that passes the quick header test but not the full load: three
// bytes too many after its directory.
QByteArray DamagedArchive()
{
    return MakeArchive(ThreeEntries()) + QByteArray("xyz");
}

TEST_F(OpenArchive, ListsEntriesSortedWithTheirPositions)
{
    const QString path = PutArchive(QStringLiteral("one.pak"), ThreeEntries());
    EXPECT_EQ(Open(QStringLiteral("one.pak")), kOpenedTip);

    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral("Alpha.bmp"), 1},
                                         {QStringLiteral("beta.wav"), 2},
                                         {QStringLiteral("zeta.txt"), 0}}));
    for (const Line& line : EntryLines())
        EXPECT_EQ(QString::fromLatin1(EntryAt(line.second)->GetName()), line.first);
    EXPECT_EQ(archiveLabel.text(), path);
    EXPECT_EQ(tab->ArchiveFile(), path);
    EXPECT_TRUE(tab->IsArchiveOpen());
    EXPECT_FALSE(tab->IsModified());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(OpenArchive, SortsLinesInTheProgramsListOrder)
{
    PutArchive(QStringLiteral("order.pak"), {{"b2", QByteArray("0"), 0},
                                             {"\xE9t\xE9", QByteArray("1"), 0},
                                             {"A1", QByteArray("2"), 0},
                                             {"c", QByteArray("3"), 0},
                                             {"10", QByteArray("4"), 0},
                                             {" 5", QByteArray("5"), 0},
                                             {"*star", QByteArray("6"), 0}});
    Open(QStringLiteral("order.pak"));
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral(" 5"), 5},
                                         {QStringLiteral("*star"), 6},
                                         {QStringLiteral("10"), 4},
                                         {QStringLiteral("A1"), 2},
                                         {QStringLiteral("b2"), 0},
                                         {QStringLiteral("c"), 3},
                                         {QStringLiteral("\u00E9t\u00E9"), 1}}));
}

TEST_F(OpenArchive, AModifiedArchiveIsKeptWhenTheUserSaysNo)
{
    const QString first = PutArchive(QStringLiteral("first.pak"), ThreeEntries());
    PutArchive(QStringLiteral("second.pak"), {{"other", QByteArray("o"), 0}});
    Open(QStringLiteral("first.pak"));
    tab->NewEntry();
    const QList<Line> before = EntryLines();

    SelectFile(QStringLiteral("second.pak"));
    prompts.questionAnswers.enqueue(false);
    EXPECT_EQ(tab->OpenArchive(), QString());
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, kSkipText);
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("Skip Changes?"));
    EXPECT_EQ(EntryLines(), before);
    EXPECT_EQ(archiveLabel.text(), first);
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(tab->DataFile()->GetNumEntries(), 4u);

    prompts.questionAnswers.enqueue(true);
    EXPECT_EQ(tab->OpenArchive(), kOpenedTip);
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral("other"), 0}}));
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(prompts.Questions().size(), 2);
}

TEST_F(OpenArchive, ReopeningAnUnchangedArchiveReadsItAgainWithoutAsking)
{
    const QString path = PutArchive(QStringLiteral("one.pak"), ThreeEntries());
    Open(QStringLiteral("one.pak"));
    ASSERT_TRUE(WriteBytes(path, MakeArchive({{"replaced", QByteArray("r"), 0}})));
    SelectFile(QStringLiteral("one.pak"));
    EXPECT_EQ(tab->OpenArchive(), kOpenedTip);
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral("replaced"), 0}}));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(OpenArchive, AFailedLoadLeavesNoArchiveOpenAndKeepsTheLabel)
{
    PutFile(QStringLiteral("bad.pak"), DamagedArchive());
    EXPECT_EQ(Open(QStringLiteral("bad.pak")), kBadFormatTip);
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral("Corruped data file"), -1}}));
    EXPECT_EQ(archiveLabel.text(), QStringLiteral("Not selected"));
    EXPECT_FALSE(tab->IsArchiveOpen());

    // The placeholder line is no entry, and nothing is open to edit or save.
    SelectEntry(QStringLiteral("Corruped data file"));
    EXPECT_EQ(tab->ViewEntry(), QString());
    EXPECT_TRUE(opener.opened.isEmpty());
    tab->NewEntry();
    tab->SaveArchive();
    tab->SaveArchiveAs();
    tab->RenameEntry();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Please select archive first."),
                                               QStringLiteral("Please select archive to save first"),
                                               QStringLiteral("Please select archive to save first"),
                                               QStringLiteral("Please select archive and entry first.")}));
    EXPECT_EQ(prompts.shown.size(), 4);
}

TEST_F(OpenArchive, AFailedLoadAfterAGoodOneShowsTheOldPathButClosesTheArchive)
{
    const QString good = PutArchive(QStringLiteral("good.pak"), ThreeEntries());
    PutFile(QStringLiteral("bad.pak"), DamagedArchive());
    Open(QStringLiteral("good.pak"));
    tab->NewEntry();

    SelectFile(QStringLiteral("bad.pak"));
    prompts.questionAnswers.enqueue(true);
    EXPECT_EQ(tab->OpenArchive(), kBadFormatTip);
    EXPECT_EQ(archiveLabel.text(), good);
    EXPECT_FALSE(tab->IsArchiveOpen());
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(tab->DataFile()->GetNumEntries(), 0u);

    // Opening the good one again asks nothing: the failed open dropped the changes.
    SelectFile(QStringLiteral("good.pak"));
    EXPECT_EQ(tab->OpenArchive(), kOpenedTip);
    EXPECT_EQ(prompts.Questions().size(), 1);
}

}  // namespace
