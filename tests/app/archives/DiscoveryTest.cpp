// Finding the game's archives and opening one of them.
#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "common/CDlgProgress.h"
#include "common/GameDirectory.h"
#include "ProgramFacts.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QString kFoundTip = QStringLiteral("DblClick on any file in the left list to see its content.");
const QString kNothingTip = QStringLiteral(
    "Go to menu item: \"File\"->\"Duskmere Directory...\" and select any file in Duskmere directory");
const Lines kNothingFound = {{QStringLiteral("No data files found!"), -1}};
const QString kOpenedTip = QStringLiteral(
    "Now you can DblClick on any file in rigth list to view. Also use \"Archive\" menu commands to modify it.");

class Discovery : public ArchiveTabFixture {
protected:
    void SetUp() override
    {
        ArchiveTabFixture::SetUp();
        tab->SetProgressObserver([this](const CDlgProgress& progress) {
            range = progress.Range();
            // A step reported while the window is not on screen shows as -1.
            positions.append(progress.isVisible() ? progress.Position() : -1);
            title = progress.windowTitle();
        });
    }
    int range = -1;
    QList<int> positions;
    QString title;
};

TEST_F(Discovery, ListsOnlyArchivesAndCountsEveryCandidateInTheProgress)
{
    PutArchive(QStringLiteral("b.dat"), ThreeEntries());
    PutArchive(QStringLiteral("A.pak"), {{"x", QByteArray("1")}});
    PutArchive(QStringLiteral(".hidden.pak"), {{"y", QByteArray("2")}});
    PutFile(QStringLiteral("notes.txt"), QByteArray("just some text that is long enough"));
    PutFile(QStringLiteral("short"), QByteArray("PFS"));
    ASSERT_TRUE(QDir(gameDir.path()).mkdir(QStringLiteral("sub.pak")));
    PutArchive(QStringLiteral("sub.pak/inner.pak"), {{"z", QByteArray("3")}});
    // Neither a FIFO (opening it would hang) nor an interrupted save's
    // temporary file is ever listed.
    PutArchive(QStringLiteral(".tl~0123abcd-89abcdef-1-2.tmp"), {{"t", QByteArray("4")}});
    int candidates = 9;  // ".", "..", the files and the sub-directory
#ifdef Q_OS_UNIX
    ASSERT_EQ(mkfifo(QFile::encodeName(gameDir.filePath(QStringLiteral("pipe.pak"))).constData(), 0600), 0);
    ++candidates;
#endif

    EXPECT_EQ(tab->FindDataFiles(), kFoundTip);
    // Sorted without regard to case; each datum leads to its own file.
    EXPECT_EQ(Names(FileLines()), QStringList({".hidden.pak", "A.pak", "b.dat"}));
    for (const Line& line : FileLines())
        EXPECT_EQ(QFileInfo(tab->DataFiles().value(line.second).path), QFileInfo(gameDir.filePath(line.first)));
    EXPECT_EQ(range, candidates);
    EXPECT_EQ(positions.size(), candidates + 1);
    EXPECT_FALSE(positions.contains(-1));
    EXPECT_EQ(title, QStringLiteral("Looking for DM Data files"));
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->inherits("CDlgProgress") && window->isVisible());
}

TEST_F(Discovery, NoArchiveOrNoDirectoryGivesThePlaceholderLineWhichOpensNothing)
{
    PutFile(QStringLiteral("readme.txt"), QByteArray("no archive here at all"));
    EXPECT_EQ(tab->FindDataFiles(), kNothingTip);
    EXPECT_EQ(FileLines(), kNothingFound);
    SelectFile(QStringLiteral("No data files found!"));
    EXPECT_EQ(tab->OpenArchive(), QString());
    EXPECT_EQ(archiveLabel.text(), QStringLiteral("Not selected"));

    positions.clear();
    SetDMPath(gameDir.filePath(QStringLiteral("gone")));
    EXPECT_EQ(tab->FindDataFiles(), kNothingTip);
    EXPECT_EQ(FileLines(), kNothingFound);
    EXPECT_EQ(positions, QList<int>({0}));
}

TEST_F(Discovery, RunsOnFirstActivationOnlyAndKeepsTheOpenArchiveButNotItsLines)
{
    const QString path = PutArchive(QStringLiteral("one.pak"), ThreeEntries());
    EXPECT_EQ(tab->Activate(), kFoundTip);
    SelectFile(QStringLiteral("one.pak"));
    tab->OpenArchive();
    tab->NewEntry();
    PutArchive(QStringLiteral("two.pak"), ThreeEntries());
    EXPECT_EQ(tab->Activate(), QString());
    EXPECT_EQ(FileLines().size(), 1);

    QTemporaryDir otherGame;
    const QString far = otherGame.filePath(QStringLiteral("far.pak"));
    ASSERT_TRUE(WriteBytes(far, ArchiveOf(ThreeEntries())));
    const QByteArray farBytes = ReadBytes(far);
    SetDMPath(otherGame.path());
    tab->m_bInitialized = false;  // what a change of game directory does
    EXPECT_EQ(tab->Activate(), kFoundTip);
    EXPECT_EQ(FileLines(), Lines({{QStringLiteral("far.pak"), 0}}));
    EXPECT_TRUE(EntryLines().isEmpty());
    EXPECT_EQ(archiveLabel.text(), path);

    // New still acts on the open archive; Save writes its own file, not one the new search found.
    tab->NewEntry();
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral(" Unnamed"), 4}}));
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(path).size(), 5);
    EXPECT_EQ(ReadBytes(far), farBytes);
}

using OpenArchive = ArchiveTabFixture;

TEST_F(OpenArchive, ListsEntriesInTheProgramsListOrderWithTheirPositions)
{
    std::vector<TabEntry> entries;
    // The order itself is the list order's own; this shows it applied, with each line on its entry.
    for (const char* name : {"b2", "\xE9t\xE9", "A1", " 5"})
        entries.push_back({name, QByteArray("x")});
    const QString path = PutArchive(QStringLiteral("order.pak"), entries);
    EXPECT_EQ(Open(QStringLiteral("order.pak")), kOpenedTip);
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral(" 5"), 3}, {QStringLiteral("A1"), 2}, {QStringLiteral("b2"), 0},
                                   {QStringLiteral("\u00E9t\u00E9"), 1}}));
    EXPECT_EQ(archiveLabel.text(), path);
    EXPECT_FALSE(tab->IsModified());

    // An unchanged archive is read again without asking.
    ASSERT_TRUE(WriteBytes(path, ArchiveOf({{"replaced", QByteArray("r")}})));
    EXPECT_EQ(tab->OpenArchive(), kOpenedTip);
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("replaced"), 0}}));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(OpenArchive, AModifiedArchiveIsKeptWhenTheUserSaysNoAndByRefresh)
{
    const QString first = PutArchive(QStringLiteral("first.pak"), ThreeEntries());
    PutArchive(QStringLiteral("second.pak"), {{"other", QByteArray("o")}});
    Open(QStringLiteral("first.pak"));
    tab->NewEntry();
    const Lines before = EntryLines();

    SelectFile(QStringLiteral("second.pak"));
    EXPECT_EQ(tab->OpenArchive(), QString());  // answered No
    EXPECT_EQ(prompts.Questions(), QStringList({"Current archive was modified.\nDo you want to skip changes?"}));
    EXPECT_EQ(prompts.shown.value(0).caption, QStringLiteral("Skip Changes?"));
    EXPECT_EQ(EntryLines(), before);
    EXPECT_EQ(archiveLabel.text(), first);
    EXPECT_EQ(tab->DataFile()->GetNumEntries(), 4u);
    // The highlight is back on the archive that stays open.
    const auto highlighted = [&] { return fileList.currentItem() ? fileList.currentItem()->text() : QString(); };
    EXPECT_EQ(highlighted(), QStringLiteral("first.pak"));

    // Refresh searches the directory again and leaves the open archive as it is.
    PutArchive(QStringLiteral("third.pak"), {{"t", QByteArray("t")}});
    std::unique_ptr<QMenu> menu(tab->MakeFileMenu(nullptr));
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Refresh"))
            action->trigger();
    }
    EXPECT_EQ(Names(FileLines()), QStringList({"first.pak", "second.pak", "third.pak"}));
    EXPECT_EQ(EntryLines(), before);
    EXPECT_EQ(highlighted(), QStringLiteral("first.pak"));

    SelectFile(QStringLiteral("second.pak"));
    prompts.questionAnswers.enqueue(true);
    EXPECT_EQ(tab->OpenArchive(), kOpenedTip);
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("other"), 0}}));
    EXPECT_FALSE(tab->IsModified());
}

TEST_F(OpenArchive, AFailedLoadClosesTheArchiveDropsItsChangesButShowsTheLastPath)
{
    const QString good = PutArchive(QStringLiteral("good.pak"), ThreeEntries());
    // Passes the quick header test but not the full load: bytes after the directory.
    PutFile(QStringLiteral("bad.pak"), ArchiveOf(ThreeEntries()) + QByteArray("xyz"));
    const QString badFormat =
        QStringLiteral("Hmm this file looks to be not in right format. Please EMail me details about it: ") +
        QString::fromLatin1(tomelens::core::kMakerContact);
    EXPECT_EQ(Open(QStringLiteral("bad.pak")), badFormat);
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("Corruped data file"), -1}}));
    SelectEntry(QStringLiteral("Corruped data file"));  // no entry: views nothing
    EXPECT_EQ(tab->ViewEntry(), QString());
    EXPECT_TRUE(opener.opened.isEmpty());

    Open(QStringLiteral("good.pak"));
    tab->NewEntry();
    SelectFile(QStringLiteral("bad.pak"));
    prompts.questionAnswers.enqueue(true);
    EXPECT_EQ(tab->OpenArchive(), badFormat);
    EXPECT_EQ(archiveLabel.text(), good);
    EXPECT_FALSE(tab->IsArchiveOpen() || tab->IsModified());
}

}  // namespace
