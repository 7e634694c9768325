#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "common/GameDirectory.h"
#include "support/ArchiveBytes.h"

using namespace testsupport;

namespace {

QByteArray ToQt(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

QStringList FirstLines(const QStringList& messages)
{
    QStringList lines;
    for (const QString& message : messages)
        lines.append(message.section(QLatin1Char('\n'), 0, 0));
    return lines;
}

QStringList Names(const Lines& lines)
{
    QStringList names;
    for (const Line& line : lines)
        names.append(line.first);
    return names;
}

QByteArray ArchiveOf(const std::vector<TabEntry>& entries)
{
    std::vector<PlainEntry> plain;
    for (const TabEntry& entry : entries)
        plain.push_back({entry.name, Bytes(entry.data.begin(), entry.data.end()), entry.checkSum, entry.corrupt});
    // Records in reverse of data order keep entries of length 0 in their place.
    return ToQt(MakeArchive(plain, true).Serialize());
}

QByteArray Pattern(int length, unsigned seed)
{
    return ToQt(PatternBytes(static_cast<std::size_t>(length), seed, 23));
}

QStringList NamesIn(const QString& path)
{
    QStringList names;
    DMDataFile* file = CreateDMDataFile(nullptr);
    if (file->Load(QFile::encodeName(path).constData()) == 0) {
        for (unsigned position = 0; position < file->GetNumEntries(); ++position)
            names.append(QString::fromLatin1(file->GetEntry(position)->GetName()));
    }
    DestroyDMDataFile(file);
    return names;
}

std::vector<TabEntry> ThreeEntries()
{
    return {
        {"zeta.txt", QByteArray("last in the list, first in data"), 111},
        {"Alpha.bmp", Pattern(20000, 1), 222},
        {"beta.wav", Pattern(8192, 2), 333},
    };
}

void ArchiveTabFixture::SetUp()
{
    ASSERT_TRUE(gameDir.isValid() && viewDir.isValid() && outsideDir.isValid());
    SetDMPath(gameDir.path());
    fileList.setSelectionMode(QAbstractItemView::SingleSelection);
    NewTab();
    tab->SetTempDirectory(viewDir.path());
}

void ArchiveTabFixture::NewTab()
{
    tab.reset();
    tab = std::make_unique<DMArchive>(&fileList, &panel, &archiveLabel, prompts, opener);
    tab->ConnectControls([this](const QString& text) { tips.append(text); });
}

QString ArchiveTabFixture::PutArchive(const QString& fileName, const std::vector<TabEntry>& entries)
{
    return PutFile(fileName, ArchiveOf(entries));
}

QString ArchiveTabFixture::PutFile(const QString& fileName, const QByteArray& bytes, bool outside)
{
    const QString path = (outside ? outsideDir : gameDir).filePath(fileName);
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
    const Lines lines = EntryLines();
    const qsizetype row = Names(lines).indexOf(text);
    ASSERT_NE(row, -1) << text.toStdString();
    ASSERT_EQ(Names(lines).lastIndexOf(text), row) << "two lines read " << text.toStdString();
    SelectRow(int(row));
}

void ArchiveTabFixture::SelectRow(int row)
{
    panel.View()->selectionModel()->setCurrentIndex(panel.View()->model()->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

Lines ArchiveTabFixture::FileLines() const
{
    Lines lines;
    for (int row = 0; row < fileList.count(); ++row)
        lines.append({fileList.item(row)->text(), fileList.item(row)->data(Qt::UserRole).toInt()});
    return lines;
}

Lines ArchiveTabFixture::EntryLines() const
{
    Lines lines;
    const QAbstractItemModel* shown = panel.View()->model();
    for (int row = 0; row < shown->rowCount(); ++row) {
        const QModelIndex index = shown->index(row, 0);
        lines.append({index.data().toString(), index.data(Qt::UserRole).toInt()});
    }
    return lines;
}

DMDataFileEntry* ArchiveTabFixture::EntryAt(int position) const
{
    return tab->DataFile()->GetEntry(static_cast<unsigned>(position));
}

QByteArray ArchiveTabFixture::DataAt(int position) const
{
    QByteArray bytes(static_cast<qsizetype>(EntryAt(position)->GetLength()), '\0');
    EXPECT_EQ(EntryAt(position)->GetData(bytes.data()), 0);
    return bytes;
}

void OpenedTab::SetUp()
{
    ArchiveTabFixture::SetUp();
    path = PutArchive(QStringLiteral("one.pak"), ThreeEntries());
    Open(QStringLiteral("one.pak"));
}
