// Save and Save As, and an edited archive read back by the library.
#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "ArchiveLock.h"

#include <QDir>

namespace {

const QStringList kThreeNames = {"zeta.txt", "Alpha.bmp", "beta.wav"};

using Save = OpenedTab;

TEST_F(Save, AsksBeforeOverwritingAndWritesOnYesEvenWithoutChanges)
{
    tab->NewEntry();
    const QByteArray before = ReadBytes(path);
    tab->SaveArchive();  // answered No
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("This will override current archive. Do you wish to continue?"));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("Confirm override."));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(tab->IsModified());

    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(NamesIn(path), kThreeNames + QStringList({" Unnamed"}));
    EXPECT_EQ(prompts.Messages(), QStringList());

    // Another program changed the file since it was saved here: Save asks
    // before replacing it; No writes nothing, Yes puts the open archive back.
    ASSERT_TRUE(WriteBytes(path, ArchiveOf({{"intruder", QByteArray("i")}})));
    prompts.Clear();
    prompts.questionAnswers << true << false;
    tab->SaveArchive();
    EXPECT_EQ(prompts.Questions().value(1),
              QStringLiteral("one.pak was changed by another program since it was opened. "
                             "Replace it with your version?"));
    EXPECT_EQ(NamesIn(path), QStringList({"intruder"}));
    prompts.questionAnswers << true << true;
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(path), kThreeNames + QStringList({" Unnamed"}));
}

TEST_F(Save, WritesNothingWhileAnotherWriterHoldsTheArchive)
{
    tab->NewEntry();
    const QByteArray before = ReadBytes(path);
    tomelens::core::ArchiveLock other;
    std::string error;
    ASSERT_TRUE(other.Acquire(std::filesystem::path(path.toStdU16String()), std::chrono::milliseconds(0), error));
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();  // gives up after the lock's wait
    ASSERT_EQ(prompts.Messages().size(), 1);
    EXPECT_TRUE(prompts.Messages()[0].contains(QStringLiteral("Nothing was written."))) << prompts.Messages()[0].toStdString();
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(tab->HasUnsavedChanges());
}

TEST_F(Save, SaveAsChoosesTheTargetOfLaterSavesEvenWhenItFails)
{
    tab->SaveArchiveAs();  // cancelled
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("SaveFile"));
    EXPECT_EQ(prompts.shown[0].text, QString());
    EXPECT_EQ(tab->ArchiveFile(), path);

    const QByteArray original = ReadBytes(path);
    const QString copy = outsideDir.filePath(QStringLiteral("copy.pak"));
    tab->NewEntry();
    prompts.saveFileAnswers.enqueue(copy);
    tab->SaveArchiveAs();
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(NamesIn(copy), kThreeNames + QStringList({" Unnamed"}));
    EXPECT_EQ(archiveLabel.text(), path);

    tab->NewEntry();
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(copy).size(), 5);

    // A target in a directory that is not there yet: the save fails but the target stays.
    const QString laterDir = outsideDir.filePath(QStringLiteral("later"));
    const QString target = laterDir + QStringLiteral("/saved.pak");
    tab->NewEntry();
    prompts.saveFileAnswers.enqueue(target);
    tab->SaveArchiveAs();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Errors while saving this file.")}));
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(tab->ArchiveFile(), target);

    ASSERT_TRUE(QDir().mkpath(laterDir));
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(target).size(), 6);
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(NamesIn(copy).size(), 5);
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(Save, EditedArchiveReadsBackWithEveryNameByteAndChecksum)
{
    // Delete Alpha.bmp (position 1).
    SelectEntry(QStringLiteral("Alpha.bmp"));
    prompts.questionAnswers.enqueue(true);
    tab->DeleteEntry();
    // Rename beta.wav and give it a checksum of its own.
    SelectEntry(QStringLiteral("beta.wav"));
    prompts.renameAnswers.enqueue(QStringLiteral("b\u00E9ta.wav"));
    tab->RenameEntry();
    prompts.checkSumAnswers.enqueue(0xCAFEF00Du);
    tab->UpdateEntryCRC();
    // Replace zeta.txt's bytes.
    const QByteArray replaced = Pattern(30000, 9);
    SelectEntry(QStringLiteral("zeta.txt"));
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("z.bin"), replaced, true));
    tab->LoadEntryData();
    // A new empty entry, renamed, and one added from a file.
    tab->NewEntry();
    SelectEntry(QStringLiteral(" Unnamed"));
    prompts.renameAnswers.enqueue(QStringLiteral("empty.dat"));
    tab->RenameEntry();
    const QByteArray added = Pattern(8193, 4);
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("added.bin"), added, true));
    tab->AddFileEntry();

    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    ASSERT_EQ(prompts.Messages(), QStringList());

    const std::vector<TabEntry> back = ReadWithLibrary(path);
    const std::vector<TabEntry> expected = {
        {"zeta.txt", replaced, 111},
        {"b\xE9ta.wav", ThreeEntries()[2].data, 0xCAFEF00Du},
        {"empty.dat", QByteArray(), 0},
        {"added.bin", added, 0},
    };
    ASSERT_EQ(back.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(back[i].name, expected[i].name) << i;
        EXPECT_EQ(back[i].data, expected[i].data) << i;
        EXPECT_EQ(back[i].checkSum, expected[i].checkSum) << i;
        EXPECT_FALSE(back[i].corrupt) << i;
    }

    // And the tab shows the same when the file is opened again, without a skip question.
    SelectFile(QStringLiteral("one.pak"));
    tab->OpenArchive();
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("added.bin"), 3}, {QStringLiteral("b\u00E9ta.wav"), 1},
                                   {QStringLiteral("empty.dat"), 2}, {QStringLiteral("zeta.txt"), 0}}));
    EXPECT_EQ(prompts.Questions().size(), 2);  // delete and save
}

}  // namespace
