#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kOverride = QStringLiteral("This will override current archive. Do you wish to continue?");
const QString kSaveFailed = QStringLiteral("Errors while saving this file.");

class Save : public ArchiveTabFixture {
protected:
    void SetUp() override
    {
        ArchiveTabFixture::SetUp();
        path = PutArchive(QStringLiteral("one.pak"), ThreeEntries());
        Open(QStringLiteral("one.pak"));
    }
    static QStringList NamesIn(const QString& file)
    {
        QStringList names;
        for (const TestEntry& entry : ReadWithLibrary(file).entries)
            names.append(QString::fromLatin1(entry.name.c_str()));
        return names;
    }
    QString path;
};

TEST_F(Save, NeedsAnOpenArchive)
{
    tab.reset();
    tab = std::make_unique<DMArchive>(&fileList, &entryList, &archiveLabel, prompts, opener);
    tab->SaveArchive();
    tab->SaveArchiveAs();
    EXPECT_EQ(prompts.Messages(), QStringList(2, QStringLiteral("Please select archive to save first")));
    EXPECT_EQ(prompts.shown.size(), 2);
}

TEST_F(Save, AsksBeforeOverwritingAndWritesOnYes)
{
    tab->NewEntry();
    const QByteArray before = ReadBytes(path);
    tab->SaveArchive();  // answered No
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].text, kOverride);
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("Confirm override."));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(tab->IsModified());

    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(NamesIn(path), QStringList({"zeta.txt", "Alpha.bmp", "beta.wav", " Unnamed"}));
    EXPECT_EQ(prompts.Messages(), QStringList());
}

TEST_F(Save, WritesEvenWithoutChanges)
{
    // Someone else replaced the file; Save puts the archive that is open back.
    ASSERT_TRUE(WriteBytes(path, MakeArchive({{"intruder", QByteArray("i"), 0}})));
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(path), QStringList({"zeta.txt", "Alpha.bmp", "beta.wav"}));
}

TEST_F(Save, SaveAsMakesTheChosenFileTheTargetOfLaterSaves)
{
    tab->SaveArchiveAs();  // cancelled
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("SaveFile"));
    EXPECT_EQ(prompts.shown[0].text, QString());
    EXPECT_EQ(tab->ArchiveFile(), path);

    const QString copy = outsideDir.filePath(QStringLiteral("copy.pak"));
    tab->NewEntry();
    prompts.saveFileAnswers.enqueue(copy);
    tab->SaveArchiveAs();
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(NamesIn(copy), QStringList({"zeta.txt", "Alpha.bmp", "beta.wav", " Unnamed"}));
    EXPECT_EQ(NamesIn(path), QStringList({"zeta.txt", "Alpha.bmp", "beta.wav"}));
    EXPECT_EQ(archiveLabel.text(), path);

    const QByteArray original = ReadBytes(path);
    tab->NewEntry();
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(copy).size(), 5);
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(Save, AFailedSaveAsStillChoosesTheTarget)
{
    const QString laterDir = outsideDir.filePath(QStringLiteral("later"));
    const QString target = laterDir + QStringLiteral("/saved.pak");
    tab->NewEntry();
    prompts.saveFileAnswers.enqueue(target);
    tab->SaveArchiveAs();
    EXPECT_EQ(prompts.Messages(), QStringList({kSaveFailed}));
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(tab->ArchiveFile(), target);

    ASSERT_TRUE(QDir().mkpath(laterDir));
    const QByteArray original = ReadBytes(path);
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(target).size(), 4);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_FALSE(tab->IsModified());
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
    const QByteArray replaced = PatternBytes(30000, 9);
    SelectEntry(QStringLiteral("zeta.txt"));
    prompts.openFileAnswers.enqueue(PutOutsideFile(QStringLiteral("z.bin"), replaced));
    tab->LoadEntryData();
    // A new empty entry, renamed, and one added from a file.
    tab->NewEntry();
    SelectEntry(QStringLiteral(" Unnamed"));
    prompts.renameAnswers.enqueue(QStringLiteral("empty.dat"));
    tab->RenameEntry();
    const QByteArray added = PatternBytes(8193, 4);
    prompts.openFileAnswers.enqueue(PutOutsideFile(QStringLiteral("added.bin"), added));
    tab->AddFileEntry();

    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    ASSERT_EQ(prompts.Messages(), QStringList());

    const ReadBack back = ReadWithLibrary(path);
    ASSERT_TRUE(back.loaded);
    ASSERT_EQ(back.entries.size(), 4u);
    const std::vector<TestEntry> expected = {
        {"zeta.txt", replaced, 111},
        {"b\xE9ta.wav", PatternBytes(8192, 2), 0xCAFEF00Du},
        {"empty.dat", QByteArray(), 0},
        {"added.bin", added, 0},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(back.entries[i].name, expected[i].name) << i;
        EXPECT_EQ(back.entries[i].data, expected[i].data) << i;
        EXPECT_EQ(back.entries[i].checkSum, expected[i].checkSum) << i;
        EXPECT_FALSE(back.entries[i].corrupt) << i;
    }

    // And the tab shows the same when the file is opened again.
    SelectFile(QStringLiteral("one.pak"));
    tab->OpenArchive();
    EXPECT_EQ(EntryLines(), QList<Line>({{QStringLiteral("added.bin"), 3},
                                         {QStringLiteral("b\u00E9ta.wav"), 1},
                                         {QStringLiteral("empty.dat"), 2},
                                         {QStringLiteral("zeta.txt"), 0}}));
    EXPECT_EQ(prompts.Questions().size(), 2);  // delete and save; the saved archive needs no skip question
}

}  // namespace
