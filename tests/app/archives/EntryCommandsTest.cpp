// The commands reached through the context menus and drag and drop: several
// entries at once, Extract, New Archive, Properties, dropped files, dragged
// entries, viewed files edited elsewhere, hover text.
#include "ArchiveTabFixture.h"

#include "archive/DMDataFile.h"
#include "archives/HoverPreview.h"
#include "archives/ViewWatcher.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <zlib.h>

namespace {

using Commands = OpenedTab;

unsigned Crc(const QByteArray& bytes)
{
    return static_cast<unsigned>(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<uInt>(bytes.size())));
}

QStringList ActionTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts.append(action->text());
    }
    return texts;
}

void Trigger(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            action->trigger();
    }
}

TEST_F(Commands, ContextMenusOfferTheCommandsAndPropertiesMarkAChecksumThatDiffers)
{
    std::unique_ptr<QMenu> entries(tab->MakeEntryMenu(nullptr));
    EXPECT_EQ(ActionTexts(entries.get()), QStringList({"View", "Extract...", "Add Files...", "Add Folder...", "Load Data...",
                                                       "Rename...", "Delete", "Update CRC...", "Properties"}));
    std::unique_ptr<QMenu> files(tab->MakeFileMenu(nullptr));
    EXPECT_EQ(ActionTexts(files.get()), QStringList({"Open", "New Archive...", "Test Archive", "Compare With...",
                                                     "Unpack To...", "Pack From Folder...", "Refresh"}));

    SelectEntry(QStringLiteral("Alpha.bmp"));
    Trigger(entries.get(), QStringLiteral("Properties"));
    ASSERT_EQ(prompts.shown.size(), 1);
    // The stored checksum (222) is not the data's own, so it is marked.
    EXPECT_TRUE(prompts.shown.value(0).text.contains(QStringLiteral("Checksum (computed): %1  (differs from the stored one)")
                                                   .arg(Crc(ThreeEntries()[1].data), 8, 16, QLatin1Char('0'))));
}

TEST_F(Commands, DeleteOfSeveralAsksOnceAndDeletesThemAll)
{
    SelectEntry(QStringLiteral("Alpha.bmp"));
    QAbstractItemView* view = panel.View();
    view->selectionModel()->select(view->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tab->DeleteEntry();  // answered No
    EXPECT_FALSE(tab->IsModified());
    prompts.questionAnswers.enqueue(true);
    tab->DeleteEntry();
    EXPECT_EQ(prompts.Questions(), QStringList(2, QStringLiteral("Are you sure you want to delete these 2 entries?")));
    EXPECT_TRUE(EntryAt(1)->Deleted() && EntryAt(0)->Deleted());
    EXPECT_EQ(EntryLines(), Lines({{QStringLiteral("beta.wav"), 2}}));
}

TEST_F(Commands, ExtractAsksAboutAFileThatExistsAndSaysWhenCancelled)
{
    const QByteArray beta = ThreeEntries()[2].data;
    const struct {
        int button;  // Overwrite, Skip, Overwrite All, Skip All, Keep Both, Cancel
        QByteArray beta;
        int files;
        bool cancelled;
    } steps[] = {{5, "old", 0, true}, {1, "old", 3, false}, {4, "old", 4, false}, {0, beta, 3, false}};
    for (const auto& step : steps) {
        const QDir folder(outsideDir.filePath(QString::number(step.button)));
        QDir().mkpath(folder.path());
        WriteBytes(folder.filePath(QStringLiteral("beta.wav")), "old");
        prompts.Clear();
        prompts.folderAnswers.enqueue(folder.path());
        prompts.chooseAnswers.enqueue({step.button, false});
        tab->ExtractEntries();  // nothing selected: every entry
        EXPECT_EQ(prompts.CountOf(QStringLiteral("Choose")), 1) << step.button;
        EXPECT_EQ(ReadBytes(folder.filePath(QStringLiteral("beta.wav"))), step.beta) << step.button;
        EXPECT_EQ(prompts.Messages().value(0).startsWith(QStringLiteral("Extraction cancelled: ")), step.cancelled);
        if (!step.cancelled) {
            EXPECT_EQ(folder.entryList(QDir::Files).size(), step.files) << step.button;
        }
    }
    EXPECT_EQ(prompts.shown.value(1).caption, QStringLiteral("Extract: Overwrite/Skip/Overwrite All/Skip All/Keep Both/Cancel"));
}

TEST_F(Commands, NewArchiveWritesAnEmptyArchiveAndOpensIt)
{
    const QString path = gameDir.filePath(QStringLiteral("fresh.pak"));
    prompts.saveFileAnswers.enqueue(path);
    tab->NewArchive();
    EXPECT_EQ(tab->ArchiveFile(), path);
    EXPECT_EQ(archiveLabel.text(), path);
    EXPECT_TRUE(EntryLines().isEmpty());
    EXPECT_TRUE(FileLines().contains(Line(QStringLiteral("fresh.pak"), 1)));
    EXPECT_TRUE(tab->IsArchiveOpen());
}

TEST_F(Commands, DroppedFilesAndFoldersAreAddedAskingAboutNamesThatExist)
{
    const QString folder = outsideDir.filePath(QStringLiteral("drop"));
    QDir().mkpath(folder + QStringLiteral("/inner"));
    WriteBytes(folder + QStringLiteral("/a.txt"), "a");
    WriteBytes(folder + QStringLiteral("/zeta.txt"), "new zeta");
    WriteBytes(folder + QStringLiteral("/inner/deep.txt"), "deep");
    const QString single = PutFile(QStringLiteral("single.bin"), "single", true);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(single)});
    prompts.chooseAnswers.enqueue({0, false});  // Replace zeta.txt
    panel.FilterField()->setText(QStringLiteral("T"));  // the filter applies to the added lines too
    panel.View()->DropFiles(&data);
    EXPECT_EQ(Names(EntryLines()), QStringList({"a.txt", "beta.wav", "inner/deep.txt", "zeta.txt"}));
    panel.FilterField()->clear();
    EXPECT_EQ(Names(EntryLines()), QStringList({"a.txt", "Alpha.bmp", "beta.wav", "inner/deep.txt", "single.bin", "zeta.txt"}));
    EXPECT_EQ(DataAt(0), "new zeta");
    EXPECT_EQ(prompts.shown.value(0).text, QStringLiteral("The archive already has an entry named \"zeta.txt\"."));

    // Add Files...: "Keep Both" for all, one question for two names that exist.
    std::unique_ptr<QMenu> menu(tab->MakeEntryMenu(nullptr));
    prompts.Clear();
    prompts.openFilesAnswers.enqueue({folder + QStringLiteral("/a.txt"), single});
    prompts.chooseAnswers.enqueue({1, true});
    Trigger(menu.get(), QStringLiteral("Add Files..."));
    EXPECT_EQ(prompts.CountOf(QStringLiteral("Choose")), 1);
    EXPECT_EQ(EntryLines().size(), 8);

    // Add Folder...: "Skip" for all leaves the archive as it was.
    prompts.Clear();
    prompts.folderAnswers.enqueue(folder);
    prompts.chooseAnswers.enqueue({2, true});
    Trigger(menu.get(), QStringLiteral("Add Folder..."));
    EXPECT_EQ(prompts.CountOf(QStringLiteral("Choose")), 1);
    EXPECT_EQ(EntryLines().size(), 8);
}

TEST_F(Commands, TestArchiveNamesTheDamagedEntry)
{
    std::vector<TabEntry> entries = ThreeEntries();
    entries[1].corrupt = true;
    PutArchive(QStringLiteral("broken.pak"), entries);
    tab->FindDataFiles();
    std::unique_ptr<QMenu> menu(tab->MakeFileMenu(nullptr));
    for (const QString& name : {QStringLiteral("broken.pak"), QStringLiteral("one.pak")}) {
        SelectFile(name);
        Trigger(menu.get(), QStringLiteral("Test Archive"));
    }
    ASSERT_EQ(prompts.Messages().size(), 2);
    EXPECT_TRUE(prompts.Messages()[0].startsWith(QStringLiteral("broken.pak is damaged.\nentry \"Alpha.bmp\": ")));
    EXPECT_TRUE(prompts.Messages()[1].startsWith(QStringLiteral("one.pak: no errors in 3 entries.")));
}

TEST_F(Commands, EntriesDraggedOutArriveAsFilesWithTheirNames)
{
    const QStringList files = tab->FilesForDrag({1, 2});
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(QFileInfo(files[0]).fileName(), QStringLiteral("Alpha.bmp"));
    EXPECT_EQ(ReadBytes(files[0]), ThreeEntries()[1].data);
    EXPECT_EQ(ReadBytes(files[1]), ThreeEntries()[2].data);
}

TEST_F(Commands, AViewedFileChangedElsewhereIsOfferedBack)
{
    SelectEntry(QStringLiteral("zeta.txt"));
    tab->ViewEntry();
    const QString viewed = opener.opened.first();
    tab->Watcher().CheckNow();
    EXPECT_TRUE(prompts.shown.isEmpty());

    WriteBytes(viewed, "edited in place");
    tab->Watcher().CheckNow();  // answered No
    EXPECT_EQ(DataAt(0), ThreeEntries()[0].data);
    // An editor that writes a new file and renames it over the old one.
    WriteBytes(viewed + QStringLiteral(".tmp"), "then saved by a rename");
    QFile::remove(viewed);
    QFile::rename(viewed + QStringLiteral(".tmp"), viewed);
    prompts.questionAnswers.enqueue(true);
    tab->Watcher().CheckNow();
    EXPECT_EQ(prompts.Questions(),
              QStringList(2, QStringLiteral("zeta.txt was changed in another program. Update the entry in the archive?")));
    EXPECT_EQ(DataAt(0), "then saved by a rename");
    EXPECT_TRUE(tab->IsModified());

    prompts.questionAnswers.enqueue(true);
    Open(QStringLiteral("one.pak"));
    EXPECT_TRUE(tab->Watcher().Watched().isEmpty());
}

// A PNG that declares its size in its header and is cut short after it.
QByteArray PngHeader(quint32 side)
{
    QByteArray ihdr("IHDR");
    for (int i = 0; i < 8; ++i)
        ihdr.append(static_cast<char>(side >> (24 - 8 * (i % 4))));
    ihdr.append("\x08\x06\x00\x00\x00", 5);
    QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12) + ihdr;
    for (int shift = 24; shift >= 0; shift -= 8)
        png.append(static_cast<char>(Crc(ihdr) >> shift));
    return png + QByteArray("\x00\x01\x00\x00IDAT", 8) + QByteArray(64 * 1024, '\x55');
}

TEST_F(Commands, HoverShowsSizeChecksumAndAGlimpseDecodedOffTheWindowThread)
{
    // One bit per pixel with a palette: a red image, not black-and-white noise.
    QImage mono(1000, 1000, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    mono.save(&buffer, "PNG");
    PutArchive(QStringLiteral("mixed.pak"), {{"note.txt", QByteArray("first line\nsecond <line>\n"), 7},
                                             {"red.png", png},
                                             {"huge.png", PngHeader(20000)},
                                             {"big.txt", QByteArray(4 * 1024 * 1024 + 1, 'x')}});
    Open(QStringLiteral("mixed.pak"));
    QList<int> ready;
    QObject::connect(&tab->Preview(), &HoverPreview::ready, [&](int position) { ready.append(position); });
    const auto settle = [&] { tab->Preview().WaitForIdle(); QCoreApplication::processEvents(); };
    const QString text = tab->EntryToolTip(0);
    EXPECT_TRUE(text.contains(QStringLiteral("25 bytes, checksum 00000007")));
    EXPECT_TRUE(text.contains(QStringLiteral("<pre>first line\nsecond &lt;line&gt;\n</pre>")));
    EXPECT_FALSE(tab->EntryToolTip(3).contains(QStringLiteral("<pre>")));

    // Hovering the huge image and then the red one: only the newer is reported.
    EXPECT_FALSE(tab->EntryToolTip(2).contains(QStringLiteral("pixels")));
    EXPECT_FALSE(tab->EntryToolTip(1).contains(QStringLiteral("<img")));
    settle();
    const QString redTip = tab->EntryToolTip(1);
    const qsizetype start = redTip.indexOf(QStringLiteral("base64,")) + 7;
    const QImage thumbnail = QImage::fromData(QByteArray::fromBase64(redTip.mid(start, redTip.indexOf(u'"', start) - start).toLatin1()));
    ASSERT_EQ(thumbnail.size(), QSize(160, 160));
    EXPECT_EQ(thumbnail.pixel(80, 80), qRgb(255, 0, 0));
    // Over the pixel budget only the header is read. Both stay cached: nothing more is decoded.
    tab->EntryToolTip(2);
    settle();
    EXPECT_TRUE(tab->EntryToolTip(2).contains(QStringLiteral("20000 x 20000 pixels, too big to preview")));
    tab->EntryToolTip(1);
    settle();
    EXPECT_EQ(ready, QList<int>({1, 2}));
}

}  // namespace
