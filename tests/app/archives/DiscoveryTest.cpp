#include "ArchiveTabFixture.h"

#include "archives/CDlgProgress.h"
#include "shell/GameDirectory.h"

#include <QApplication>
#include <QDir>

namespace {

const QString kFoundTip = QStringLiteral("DblClick on any file in the left list to see its content.");
const QString kNothingTip = QStringLiteral(
    "Go to menu item: \"File\"->\"Duskmere Directory...\" and select any file in Duskmere directory");

struct ProgressSeen {
    int range = -1;
    QList<int> positions;
    QString title;
    bool visible = true;
};

class Discovery : public ArchiveTabFixture {
protected:
    void Watch()
    {
        tab->SetProgressObserver([this](const CDlgProgress& progress) {
            seen.range = progress.Range();
            seen.positions.append(progress.Position());
            seen.title = progress.windowTitle();
            seen.visible = seen.visible && progress.isVisible();
        });
    }
    ProgressSeen seen;
};

TEST_F(Discovery, ListsOnlyArchivesAndCountsEveryCandidateInTheProgress)
{
    PutArchive(QStringLiteral("b.dat"), ThreeEntries());
    PutArchive(QStringLiteral("A.pak"), {{"x", QByteArray("1"), 0}});
    PutArchive(QStringLiteral(".hidden.pak"), {{"y", QByteArray("2"), 0}});
    PutFile(QStringLiteral("notes.txt"), QByteArray("just some text that is long enough"));
    PutFile(QStringLiteral("short"), QByteArray("PFS"));
    ASSERT_TRUE(QDir(gameDir.path()).mkdir(QStringLiteral("sub.pak")));
    PutArchive(QStringLiteral("sub.pak/inner.pak"), {{"z", QByteArray("3"), 0}});
    Watch();

    EXPECT_EQ(tab->FindDataFiles(), kFoundTip);

    // Sorted without regard to case; each datum leads to its own file.
    const QList<Line> lines = FileLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].first, QStringLiteral(".hidden.pak"));
    EXPECT_EQ(lines[1].first, QStringLiteral("A.pak"));
    EXPECT_EQ(lines[2].first, QStringLiteral("b.dat"));
    for (const Line& line : lines) {
        ASSERT_GE(line.second, 0);
        ASSERT_LT(line.second, tab->DataFiles().size());
        EXPECT_EQ(tab->DataFiles()[line.second].name, line.first);
        EXPECT_EQ(QFileInfo(tab->DataFiles()[line.second].path), QFileInfo(gameDir.filePath(line.first)));
    }

    // ".", "..", five files and the sub-directory are all candidates.
    EXPECT_EQ(seen.range, 8);
    EXPECT_EQ(seen.positions, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(seen.title, QStringLiteral("Looking for DM Data files"));
    EXPECT_TRUE(seen.visible);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->inherits("CDlgProgress") && window->isVisible());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(Discovery, NoArchiveGivesThePlaceholderLineWhichOpensNothing)
{
    PutFile(QStringLiteral("readme.txt"), QByteArray("no archive here at all"));
    Watch();
    EXPECT_EQ(tab->FindDataFiles(), kNothingTip);
    EXPECT_EQ(FileLines(), QList<Line>({{QStringLiteral("No data files found!"), -1}}));
    EXPECT_EQ(seen.range, 3);
    EXPECT_EQ(seen.positions.last(), 3);

    SelectFile(QStringLiteral("No data files found!"));
    EXPECT_EQ(tab->OpenArchive(), QString());
    EXPECT_FALSE(tab->IsArchiveOpen());
    EXPECT_TRUE(EntryLines().isEmpty());
    EXPECT_EQ(archiveLabel.text(), QStringLiteral("Not selected"));
}

TEST_F(Discovery, AMissingGameDirectoryFindsNothing)
{
    SetDMPath(gameDir.filePath(QStringLiteral("gone")));
    Watch();
    EXPECT_EQ(tab->FindDataFiles(), kNothingTip);
    EXPECT_EQ(FileLines(), QList<Line>({{QStringLiteral("No data files found!"), -1}}));
    EXPECT_EQ(seen.range, 0);
    EXPECT_EQ(seen.positions, QList<int>({0}));
}

TEST_F(Discovery, RunsOnFirstActivationOnlyUntilTheFlagIsCleared)
{
    PutArchive(QStringLiteral("one.pak"), ThreeEntries());
    EXPECT_EQ(tab->Activate(), kFoundTip);
    EXPECT_TRUE(tab->m_bInitialized);

    PutArchive(QStringLiteral("two.pak"), ThreeEntries());
    EXPECT_EQ(tab->Activate(), QString());
    EXPECT_EQ(FileLines().size(), 1);

    tab->m_bInitialized = false;  // what a change of game directory does
    EXPECT_EQ(tab->Activate(), kFoundTip);
    EXPECT_EQ(FileLines().size(), 2);
}

TEST_F(Discovery, KeepsTheOpenArchiveButEmptiesTheEntryList)
{
    const QString path = PutArchive(QStringLiteral("one.pak"), ThreeEntries());
    Open(QStringLiteral("one.pak"));
    tab->NewEntry();
    ASSERT_TRUE(tab->IsModified());

    QTemporaryDir otherGame;
    ASSERT_TRUE(WriteBytes(otherGame.filePath(QStringLiteral("far.pak")), MakeArchive(ThreeEntries())));
    SetDMPath(otherGame.path());
    tab->m_bInitialized = false;
    EXPECT_EQ(tab->Activate(), kFoundTip);
    EXPECT_EQ(FileLines(), QList<Line>({{QStringLiteral("far.pak"), 0}}));

    EXPECT_TRUE(EntryLines().isEmpty());
    EXPECT_TRUE(tab->IsArchiveOpen());
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(tab->ArchiveFile(), path);
    EXPECT_EQ(archiveLabel.text(), path);

    // New still acts on the open archive; entry commands find no selection.
    tab->NewEntry();
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral(" Unnamed"), 4}}));
    entryList.clearSelection();
    tab->RenameEntry();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Please select entry to rename first.")}));

    // Save still writes the open archive's own file, not one the new search found.
    const QByteArray far = ReadBytes(otherGame.filePath(QStringLiteral("far.pak")));
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(ReadWithLibrary(path).entries.size(), 5u);
    EXPECT_EQ(ReadBytes(otherGame.filePath(QStringLiteral("far.pak"))), far);
}

}  // namespace
