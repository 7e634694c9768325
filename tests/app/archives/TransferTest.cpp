// Moving an entry's bytes out and in: viewing through the desktop, Save Data
// and Load Data.
#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"

namespace {

using Transfer = OpenedTab;

TEST_F(Transfer, ViewWritesTheEntryRecordsItAndDeletesItWhenTheTabGoes)
{
    SelectEntry(QStringLiteral("beta.wav"));
    EXPECT_EQ(tab->ViewEntry(), QString());
    const QString file = QDir(viewDir.path()).filePath(QStringLiteral("beta.wav"));
    EXPECT_EQ(opener.opened, QStringList({file}));
    EXPECT_EQ(ReadBytes(file), ThreeEntries()[2].data);
    EXPECT_FALSE(tab->IsModified());
    tab.reset();
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(Transfer, AFileThatIsRefusedOrCannotBeWrittenIsDeletedAndNotRecorded)
{
    opener.accept = false;
    SelectEntry(QStringLiteral("Alpha.bmp"));
    tab->ViewEntry();
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(opener.opened.first()));

    // An entry that cannot be written is never handed to the desktop; the others still view.
    opener.accept = true;
    std::vector<TabEntry> entries = ThreeEntries();
    entries[1].corrupt = true;
    const QString broken = PutArchive(QStringLiteral("broken.pak"), entries);
    Open(QStringLiteral("broken.pak"));
    SelectEntry(QStringLiteral("Alpha.bmp"));
    tab->ViewEntry();
    EXPECT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(FirstLines(prompts.Messages()), QStringList(2, QStringLiteral("Can't open this file")));
    EXPECT_TRUE(prompts.Messages().value(1).endsWith(QStringLiteral("entry \"Alpha.bmp\": packed data is corrupt")));
    EXPECT_TRUE(QDir(viewDir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(tab->TempFiles().isEmpty());
    SelectEntry(QStringLiteral("beta.wav"));
    tab->ViewEntry();
    EXPECT_EQ(opener.opened.size(), 2);

    // Entries are read from the opened file when used: one cut short since says so.
    ASSERT_TRUE(QFile::resize(broken, 16));
    SelectEntry(QStringLiteral("zeta.txt"));
    EXPECT_TRUE(tab->ViewEntry().startsWith(QStringLiteral("The archive file could not be read")));
    EXPECT_EQ(opener.opened.size(), 2);
}

TEST_F(Transfer, HostileNamesStayInsideTheViewingDirectory)
{
    // How names are made safe is SafeFileName's; here: viewing and Save Data use it.
    PutArchive(QStringLiteral("hostile.pak"), {{"../escape.txt", QByteArray("1")}, {"/etc/abs", QByteArray("2")}});
    Open(QStringLiteral("hostile.pak"));
    for (int row : {0, 1}) {
        SelectRow(row);
        tab->ViewEntry();
        EXPECT_EQ(QFileInfo(opener.opened.value(row)).absolutePath(), QFileInfo(viewDir.path()).absoluteFilePath());
    }
    tab->SaveEntryData();
    EXPECT_EQ(prompts.shown.last().text.section(QLatin1Char('/'), -1), prompts.shown.last().text);
}

TEST_F(Transfer, EntriesOfOneNameGetFilesOfTheirOwn)
{
    PutArchive(QStringLiteral("twins.pak"), {{"same.txt", QByteArray("first")}, {"same.txt", QByteArray("second")}});
    Open(QStringLiteral("twins.pak"));
    for (int row : {0, 1, 0}) {
        SelectRow(row);
        tab->ViewEntry();
    }
    ASSERT_EQ(opener.opened.size(), 3);
    EXPECT_EQ(opener.opened[0], opener.opened[2]);  // the same entry keeps its file
    EXPECT_TRUE(opener.opened[1].endsWith(QStringLiteral(".txt")));
    EXPECT_EQ(ReadBytes(opener.opened[0]) + ReadBytes(opener.opened[1]),
              EntryLines()[0].second == 0 ? "firstsecond" : "secondfirst");
}

TEST_F(Transfer, SaveDataWritesTheEntryToTheChosenFile)
{
    SelectEntry(QStringLiteral("Alpha.bmp"));
    const QString target = outsideDir.filePath(QStringLiteral("out.bmp"));
    prompts.saveFileAnswers << QString() << target << outsideDir.filePath(QStringLiteral("missing/out.bmp"));
    for (int i = 0; i < 3; ++i)
        tab->SaveEntryData();
    EXPECT_EQ(prompts.shown.value(0).text, QStringLiteral("Alpha.bmp"));
    EXPECT_EQ(ReadBytes(target), ThreeEntries()[1].data);
    ASSERT_EQ(FirstLines(prompts.Messages()), QStringList({QStringLiteral("Errors while saving data file")}));
    EXPECT_TRUE(prompts.Messages()[0].contains(QStringLiteral("missing/out.bmp: cannot be written: No such file or directory")));
    EXPECT_FALSE(tab->IsModified());
}

TEST_F(Transfer, LoadDataReplacesTheBytesAndMarksTheArchiveModified)
{
    SelectEntry(QStringLiteral("zeta.txt"));
    prompts.openFileAnswers.enqueue(outsideDir.filePath(QStringLiteral("nowhere.bin")));
    tab->LoadEntryData();
    EXPECT_EQ(prompts.shown.value(0).text, QStringLiteral("zeta.txt"));
    ASSERT_EQ(FirstLines(prompts.Messages()), QStringList({QStringLiteral("Errors while loading data file.")}));
    EXPECT_TRUE(prompts.Messages()[0].contains(QStringLiteral("nowhere.bin")));
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(DataAt(0), ThreeEntries()[0].data);

    const QByteArray fresh = Pattern(9000, 7);
    prompts.openFileAnswers.enqueue(PutFile(QStringLiteral("fresh.bin"), fresh, true));
    tab->LoadEntryData();
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(DataAt(0), fresh);
    EXPECT_EQ(EntryAt(0)->GetCheckSum(), 111u);
}

}  // namespace
