#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "shell/GameDirectory.h"

#include <QDir>

void ArchiveTabFixture::SetUp()
{
    ASSERT_TRUE(gameDir.isValid());
    ASSERT_TRUE(viewDir.isValid());
    ASSERT_TRUE(outsideDir.isValid());
    SetDMPath(gameDir.path());
    fileList.setSelectionMode(QAbstractItemView::SingleSelection);
    entryList.setSelectionMode(QAbstractItemView::SingleSelection);
    tab = std::make_unique<DMArchive>(&fileList, &entryList, &archiveLabel, prompts, opener);
    tab->SetTempDirectory(viewDir.path());
}

void ArchiveTabFixture::TearDown()
{
    tab.reset();
}

QString ArchiveTabFixture::PutArchive(const QString& fileName, const std::vector<TestEntry>& entries)
{
    return PutFile(fileName, MakeArchive(entries));
}

QString ArchiveTabFixture::PutFile(const QString& fileName, const QByteArray& bytes)
{
    const QString path = gameDir.filePath(fileName);
    EXPECT_TRUE(WriteBytes(path, bytes)) << path.toStdString();
    return path;
}

QString ArchiveTabFixture::PutOutsideFile(const QString& fileName, const QByteArray& bytes)
{
    const QString path = outsideDir.filePath(fileName);
    EXPECT_TRUE(WriteBytes(path, bytes)) << path.toStdString();
    return path;
}

QString ArchiveTabFixture::Open(const QString& fileName)
{
    tab->FindDataFiles();
    SelectFile(fileName);
    return tab->OpenArchive();
}

void ArchiveTabFixture::SelectFile(const QString& text)
{
    const auto found = fileList.findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    fileList.setCurrentItem(found.first());
}

void ArchiveTabFixture::SelectEntry(const QString& text)
{
    const auto found = entryList.findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    entryList.setCurrentItem(found.first());
}

int ArchiveTabFixture::EntryDatum(const QString& text) const
{
    const auto found = entryList.findItems(text, Qt::MatchExactly);
    return found.size() == 1 ? found.first()->data(Qt::UserRole).toInt() : -100;
}

QList<Line> ArchiveTabFixture::LinesOf(const QListWidget& list)
{
    QList<Line> lines;
    for (int row = 0; row < list.count(); ++row)
        lines.append({list.item(row)->text(), list.item(row)->data(Qt::UserRole).toInt()});
    return lines;
}

QString ArchiveTabFixture::SelectedEntryText() const
{
    const auto selected = entryList.selectedItems();
    return selected.size() == 1 ? selected.first()->text() : QString();
}

DMDataFileEntry* ArchiveTabFixture::EntryAt(int position) const
{
    return tab->DataFile()->GetEntry(static_cast<unsigned>(position));
}

std::vector<TestEntry> ThreeEntries()
{
    return {
        {"zeta.txt", QByteArray("last in the list, first in data"), 111},
        {"Alpha.bmp", PatternBytes(20000, 1), 222},
        {"beta.wav", PatternBytes(8192, 2), 333},
    };
}
