#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kCantOpen = QStringLiteral("Can't open this file\n");

class Transfer : public ArchiveTabFixture {
protected:
    void SetUp() override
    {
        ArchiveTabFixture::SetUp();
        PutArchive(QStringLiteral("one.pak"), ThreeEntries());
        Open(QStringLiteral("one.pak"));
    }
    QByteArray DataAt(int position) const
    {
        const DMDataFileEntry* entry = EntryAt(position);
        QByteArray bytes(static_cast<qsizetype>(entry->GetLength()), '\0');
        EXPECT_EQ(entry->GetData(bytes.data()), 0);
        return bytes;
    }
};

TEST_F(Transfer, ViewWritesTheEntryRecordsItAndDeletesItWhenTheTabGoes)
{
    SelectEntry(QStringLiteral("beta.wav"));
    EXPECT_EQ(tab->ViewEntry(), QString());
    const QString path = QDir(viewDir.path()).filePath(QStringLiteral("beta.wav"));
    EXPECT_EQ(opener.opened, QStringList({path}));
    EXPECT_EQ(ReadBytes(path), PatternBytes(8192, 2));

    EXPECT_EQ(tab->ViewEntry(), QString());
    EXPECT_EQ(tab->TempFiles(), QStringList({path, path}));
    EXPECT_FALSE(tab->IsModified());
    EXPECT_TRUE(prompts.shown.isEmpty());

    tab.reset();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(Transfer, WithoutADirectoryGivenViewUsesAPrivateOneRemovedAtTheEnd)
{
    auto own = std::make_unique<DMArchive>(&fileList, &entryList, &archiveLabel, prompts, opener);
    own->FindDataFiles();
    SelectFile(QStringLiteral("one.pak"));
    own->OpenArchive();
    SelectEntry(QStringLiteral("zeta.txt"));
    own->ViewEntry();
    ASSERT_EQ(opener.opened.size(), 1);
    const QFileInfo viewed(opener.opened.first());
    EXPECT_EQ(viewed.fileName(), QStringLiteral("zeta.txt"));
    EXPECT_TRUE(viewed.exists());
    EXPECT_NE(QDir(viewed.absolutePath()), QDir(QDir::tempPath()));
    EXPECT_NE(QDir(viewed.absolutePath()), QDir(viewDir.path()));
    const QString directory = viewed.absolutePath();
    own.reset();
    EXPECT_FALSE(QFileInfo::exists(viewed.absoluteFilePath()));
    EXPECT_FALSE(QFileInfo::exists(directory));
}

TEST_F(Transfer, AFileTheDesktopRefusesIsDeletedAndNotRecorded)
{
    opener.accept = false;
    SelectEntry(QStringLiteral("Alpha.bmp"));
    EXPECT_EQ(tab->ViewEntry(), QString());
    EXPECT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(prompts.Messages(), QStringList({kCantOpen}));
    EXPECT_FALSE(QFileInfo::exists(opener.opened.first()));
    EXPECT_TRUE(tab->TempFiles().isEmpty());
}

TEST_F(Transfer, AnEntryThatCannotBeWrittenIsNeverHandedToTheDesktop)
{
    std::vector<TestEntry> entries = ThreeEntries();
    entries[1].corrupt = true;
    PutArchive(QStringLiteral("broken.pak"), entries);
    Open(QStringLiteral("broken.pak"));
    SelectEntry(QStringLiteral("Alpha.bmp"));
    EXPECT_EQ(tab->ViewEntry(), QString());
    EXPECT_TRUE(opener.opened.isEmpty());
    EXPECT_EQ(prompts.Messages(), QStringList({kCantOpen}));
    EXPECT_TRUE(QDir(viewDir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(tab->TempFiles().isEmpty());

    // The sound entries of the same archive still view.
    SelectEntry(QStringLiteral("beta.wav"));
    tab->ViewEntry();
    EXPECT_EQ(opener.opened.size(), 1);
}

TEST_F(Transfer, HostileNamesStayInsideTheViewingDirectory)
{
    PutArchive(QStringLiteral("hostile.pak"), {{"../escape.txt", QByteArray("1"), 0},
                                               {"..", QByteArray("2"), 0},
                                               {"", QByteArray("3"), 0},
                                               {"/etc/abs", QByteArray("4"), 0},
                                               {"a\\..\\..\\b", QByteArray("5"), 0}});
    Open(QStringLiteral("hostile.pak"));
    for (const Line& line : EntryLines()) {
        SelectEntry(line.first);
        tab->ViewEntry();
    }
    ASSERT_EQ(opener.opened.size(), 5);
    QStringList contents;
    for (const QString& path : opener.opened) {
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(viewDir.path()).absoluteFilePath()) << path.toStdString();
        contents.append(QString::fromLatin1(ReadBytes(path)));
    }
    contents.sort();
    EXPECT_EQ(contents, QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(viewDir.path()).absolutePath() + QStringLiteral("/escape.txt")));

    // Save Data proposes a name without directory parts too.
    SelectEntry(QStringLiteral("../escape.txt"));
    tab->SaveEntryData();
    ASSERT_EQ(prompts.shown.last().kind, QStringLiteral("SaveFile"));
    EXPECT_FALSE(prompts.shown.last().text.contains(QLatin1Char('/')));
    EXPECT_TRUE(prompts.shown.last().text.endsWith(QStringLiteral("escape.txt")));
}

TEST_F(Transfer, EntriesOfOneNameShareOneTemporaryFile)
{
    PutArchive(QStringLiteral("twins.pak"), {{"same.txt", QByteArray("first"), 0}, {"same.txt", QByteArray("second"), 0}});
    Open(QStringLiteral("twins.pak"));
    for (int row = 0; row < 2; ++row) {
        entryList.setCurrentRow(row);
        tab->ViewEntry();
    }
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(opener.opened[0], opener.opened[1]);
    const QByteArray last = entryList.item(1)->data(Qt::UserRole).toInt() == 0 ? "first" : "second";
    EXPECT_EQ(ReadBytes(opener.opened[1]), last);
}

TEST_F(Transfer, SaveDataWritesTheEntryToTheChosenFile)
{
    tab->SaveEntryData();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Please select entry to save first.")}));

    prompts.Clear();
    SelectEntry(QStringLiteral("Alpha.bmp"));
    tab->SaveEntryData();  // cancelled
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("SaveFile"));
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("Alpha.bmp"));

    const QString target = outsideDir.filePath(QStringLiteral("out.bmp"));
    prompts.saveFileAnswers.enqueue(target);
    tab->SaveEntryData();
    EXPECT_EQ(ReadBytes(target), PatternBytes(20000, 1));
    EXPECT_FALSE(tab->IsModified());

    prompts.Clear();
    prompts.saveFileAnswers.enqueue(outsideDir.filePath(QStringLiteral("missing/out.bmp")));
    tab->SaveEntryData();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Errors while saving data file")}));
}

TEST_F(Transfer, LoadDataReplacesTheBytesAndMarksTheArchiveModified)
{
    tab->LoadEntryData();
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Please select entry to load first.")}));

    prompts.Clear();
    SelectEntry(QStringLiteral("zeta.txt"));
    prompts.openFileAnswers.enqueue(outsideDir.filePath(QStringLiteral("nowhere.bin")));
    tab->LoadEntryData();
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("zeta.txt"));
    EXPECT_EQ(prompts.Messages(), QStringList({QStringLiteral("Errors while loading data file.")}));
    EXPECT_FALSE(tab->IsModified());
    EXPECT_EQ(DataAt(0), QByteArray("last in the list, first in data"));

    const QByteArray fresh = PatternBytes(9000, 7);
    prompts.openFileAnswers.enqueue(PutOutsideFile(QStringLiteral("fresh.bin"), fresh));
    tab->LoadEntryData();
    EXPECT_TRUE(tab->IsModified());
    EXPECT_EQ(DataAt(0), fresh);
    EXPECT_STREQ(EntryAt(0)->GetName(), "zeta.txt");
    EXPECT_EQ(EntryAt(0)->GetCheckSum(), 111u);
    EXPECT_EQ(EntryLines()[2], Line(QStringLiteral("zeta.txt"), 0));

    // The change now counts: another open asks first.
    PutArchive(QStringLiteral("two.pak"), ThreeEntries());
    tab->FindDataFiles();
    SelectFile(QStringLiteral("two.pak"));
    EXPECT_EQ(tab->OpenArchive(), QString());
    EXPECT_EQ(prompts.Questions().size(), 1);
}

TEST_F(Transfer, DataCommandsNeedAnOpenArchive)
{
    tab.reset();
    tab = std::make_unique<DMArchive>(&fileList, &entryList, &archiveLabel, prompts, opener);
    tab->SaveEntryData();
    tab->LoadEntryData();
    EXPECT_EQ(prompts.Messages(), QStringList(2, QStringLiteral("Please select archive and entry first.")));
}

}  // namespace
