// Save and Save As: the questions asked, other writers, and the target kept.
#include "ArchiveTabFixture.h"

#include "ArchiveLock.h"

#include <QDateTime>

namespace {

const QStringList kFourNames = {"zeta.txt", "Alpha.bmp", "beta.wav", " Unnamed"};

using Save = OpenedTab;

TEST_F(Save, AsksBeforeOverwritingAndBeforeReplacingAFileChangedElsewhere)
{
    tab->NewEntry();
    const QByteArray before = ReadBytes(path);
    tab->SaveArchive();  // answered No
    EXPECT_EQ(prompts.Questions(), QStringList({QStringLiteral("This will override current archive. Do you wish to continue?")}));
    EXPECT_EQ(prompts.shown.value(0).caption, QStringLiteral("Confirm override."));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(tab->IsModified());

    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(NamesIn(path), kFourNames);
    EXPECT_EQ(prompts.Messages(), QStringList());

    // Another program changed the file since it was saved here: only Yes replaces
    // it; Reload, once dropping the changes is confirmed, opens it as it is now.
    // The answers (none: the box is closed), whether the file was replaced, whether it was reloaded.
    const struct { QList<int> answers; bool replaced, reloaded; } cases[] = {
        {{}, false, false}, {{1, 1}, false, false}, {{0}, true, false}, {{1, 0}, false, true}};
    for (const auto& c : cases) {
        tab->NewEntry();
        ASSERT_TRUE(WriteBytes(path, ArchiveOf({{"intruder", QByteArray("i")}})));
        prompts.Clear();
        prompts.questionAnswers << true;
        for (const int answer : c.answers)
            prompts.chooseAnswers << std::pair(answer, false);
        tab->SaveArchive();
        EXPECT_EQ(prompts.shown.value(1).kind + u' ' + prompts.shown.value(1).text + prompts.shown.value(1).caption,
                  QStringLiteral("ChooseCarefully one.pak was changed by another program since it was opened. "
                                 "Replace it with your version?: Yes/Reload/No"));
        EXPECT_EQ(NamesIn(path) != QStringList({"intruder"}), c.replaced);
        EXPECT_EQ(Names(EntryLines()) == QStringList({"intruder"}), c.reloaded);
        EXPECT_EQ(tab->HasUnsavedChanges(), !c.replaced && !c.reloaded);
    }
}

TEST_F(Save, NothingReadsFromTheOpenedFileOnceRewrittenInPlace)
{
    // The open archive reads unchanged entries from the file it was opened
    // from; rewritten in place, their bytes are gone and must not be saved.
    tab->NewEntry();
    QByteArray rewritten = ReadBytes(path);
    rewritten[20] = static_cast<char>(rewritten[20] ^ 0x5a);
    QFile same(path);
    ASSERT_TRUE(same.open(QIODevice::ReadWrite));
    ASSERT_EQ(same.write(rewritten), rewritten.size());
    // Later than any coarse clock tick since the open.
    same.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    same.close();
    prompts.questionAnswers << true << true;
    tab->SaveArchive();
    ASSERT_EQ(prompts.Messages().size(), 1);
    EXPECT_EQ(prompts.Messages()[0].toStdString(),
              ("Errors while saving this file.\n" + path + " was changed by another program while it was being read").toStdString());
    EXPECT_EQ(ReadBytes(path), rewritten);
    EXPECT_TRUE(tab->HasUnsavedChanges());

    // Nothing else reads entries from it either.
    SelectEntry(QStringLiteral("zeta.txt"));
    tab->ViewEntry();
    prompts.saveFileAnswers.enqueue(outsideDir.filePath(QStringLiteral("out.txt")));
    tab->SaveEntryData();
    prompts.folderAnswers.enqueue(outsideDir.path());
    tab->ExtractEntries();
    EXPECT_EQ(prompts.Messages().size(), 4);
    for (const QString& message : prompts.Messages())
        EXPECT_TRUE(message.endsWith(QStringLiteral(" was changed by another program while it was being read")));
    EXPECT_TRUE(opener.opened.isEmpty());
    EXPECT_TRUE(QDir(outsideDir.path()).isEmpty());
    EXPECT_TRUE(tab->FilesForDrag({0}).isEmpty());
    EXPECT_FALSE(tab->EntryToolTip(0).contains(QStringLiteral("<pre>")));
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
    EXPECT_EQ(prompts.CountOf(QStringLiteral("SaveFile")), 1);
    EXPECT_EQ(tab->ArchiveFile(), path);

    const QByteArray original = ReadBytes(path);
    const QString copy = outsideDir.filePath(QStringLiteral("copy.pak"));
    tab->NewEntry();
    prompts.saveFileAnswers.enqueue(copy);
    tab->SaveArchiveAs();
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(NamesIn(copy), kFourNames);
    EXPECT_EQ(archiveLabel.text(), copy);  // the file Save writes now, which the game's list does not hold
    EXPECT_EQ(fileList.currentItem(), nullptr);

    // A target in a directory that is not there yet: the save fails but the target stays.
    const QString laterDir = outsideDir.filePath(QStringLiteral("later"));
    const QString target = laterDir + QStringLiteral("/saved.pak");
    tab->NewEntry();
    prompts.saveFileAnswers.enqueue(target);
    tab->SaveArchiveAs();
    ASSERT_EQ(FirstLines(prompts.Messages()), QStringList({QStringLiteral("Errors while saving this file.")}));
    EXPECT_TRUE(prompts.Messages()[0].contains(target + QStringLiteral(": cannot be written")));
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(tab->ArchiveFile(), target);
    EXPECT_EQ(archiveLabel.text(), target);

    ASSERT_TRUE(QDir().mkpath(laterDir));
    prompts.questionAnswers.enqueue(true);
    tab->SaveArchive();
    EXPECT_EQ(NamesIn(target).size(), 5);
    EXPECT_EQ(NamesIn(copy), kFourNames);
    EXPECT_EQ(ReadBytes(path), original);
}

}  // namespace
