// The modder's loop from the data-file list's context menu: Compare With...
// marks the open archive's entries, Unpack To... and Pack From Folder... run
// core's operations on the files the prompts give.
#include "ArchiveTabFixture.h"

namespace {

using Modding = OpenedTab;

TEST_F(Modding, CompareWithMarksNewAndChangedEntriesAndNamesTheMissingOnes)
{
    std::vector<TabEntry> other = ThreeEntries();
    other[1].data[0] = 'X';                        // Alpha.bmp changed
    other.erase(other.begin());                    // zeta.txt only here: new
    other.push_back({"gamma.ini", QByteArray("only there")});  // missing here
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("two.pak"), ArchiveOf(other), true));
    tab->CompareWith();

    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("[changed] Alpha.bmp"), 1}, {QStringLiteral("[new] zeta.txt"), 0}}));
    ASSERT_EQ(prompts.Messages().size(), 1);
    EXPECT_TRUE(prompts.Messages()[0].startsWith(QStringLiteral("Compared with two.pak: 1 new here, 1 changed, 1 missing here.")))
        << prompts.Messages()[0].toStdString();
    EXPECT_TRUE(prompts.Messages()[0].endsWith(QStringLiteral("only in two.pak):\n  gamma.ini")));
    tab->ShowOnlyDifferences(false);
    EXPECT_EQ(Names(EntryLines()), QStringList({QStringLiteral("[changed] Alpha.bmp"), QStringLiteral("beta.wav"),
                                                QStringLiteral("[new] zeta.txt")}));
}

TEST_F(Modding, UnpackToThenPackFromFolderGivesTheArchiveBack)
{
    SelectFile(QStringLiteral("one.pak"));
    const QString folder = QDir(outsideDir.path()).filePath(QStringLiteral("work"));
    const QString packed = QDir(outsideDir.path()).filePath(QStringLiteral("packed.pak"));
    prompts.folderAnswers.enqueue(folder);
    prompts.folderAnswers.enqueue(folder);
    prompts.saveFileAnswers.enqueue(packed);
    tab->UnpackTo();
    tab->PackFromFolder();
    EXPECT_EQ(prompts.Messages().size(), 2);
    EXPECT_TRUE(prompts.Messages()[1].endsWith(QStringLiteral("3 entries kept, 0 changed, 0 added, 0 removed.")))
        << prompts.Messages()[1].toStdString();

    // Packing over the file the open archive reads from is refused.
    prompts.folderAnswers.enqueue(folder);
    prompts.saveFileAnswers.enqueue(path);
    tab->PackFromFolder();
    EXPECT_TRUE(prompts.Messages().last().startsWith(QStringLiteral("The archive open here reads from that file.")));
}

}  // namespace
