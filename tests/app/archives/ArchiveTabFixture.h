#pragma once

#include "app/support/GuiFixture.h"

#include "archives/DMArchive.h"
#include "archives/EntryListPanel.h"
#include "app/support/ScriptedPrompts.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One line of a list: its text and its datum.
using Line = std::pair<QString, int>;
using Lines = QList<Line>;
QStringList Names(const Lines& lines);
// The first line of each message: the fixed text, without the cause under it.
QStringList FirstLines(const QStringList& messages);

struct TabEntry {
    std::string name;
    QByteArray data;
    std::uint32_t checkSum = 0;
    bool corrupt = false;  // first block damaged
};
// An archive's bytes, written from the file layout independently of the library.
QByteArray ArchiveOf(const std::vector<TabEntry>& entries);
// Some bytes that are not all alike, so a mix-up between entries shows.
QByteArray Pattern(int length, unsigned seed);
// The entry names the library reads back from an archive file, in data order;
// empty when it does not load.
QStringList NamesIn(const QString& path);

// The three entries that most tests open: names in mixed case, so the sorted
// list order differs from data order.
std::vector<TabEntry> ThreeEntries();

// The Archives tab's controls, scripted prompts and a recording opener around
// a DMArchive, with a game directory and a viewing directory of the test's own.
class ArchiveTabFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override
    {
        tab.reset();
        // No command may leave the user facing a prompt they cannot click.
        EXPECT_EQ(prompts.ShownUnderCapture().join(u'|').toStdString(), "");
    }
    // A tab with nothing open yet, on the same controls.
    void NewTab();

    // Writes an archive or a file into the game directory (or outside it) and gives its path.
    QString PutArchive(const QString& fileName, const std::vector<TabEntry>& entries);
    QString PutFile(const QString& fileName, const QByteArray& bytes, bool outside = false);

    // Runs discovery, selects the file by its line text and opens it.
    QString Open(const QString& fileName);
    void SelectFile(const QString& text);
    void SelectEntry(const QString& text);
    void SelectRow(int row);

    Lines FileLines() const;
    Lines EntryLines() const;
    DMDataFileEntry* EntryAt(int position) const;
    QByteArray DataAt(int position) const;

    PrivateSettings settings;
    QTemporaryDir gameDir;
    QTemporaryDir viewDir;
    QTemporaryDir outsideDir;
    QListWidget fileList;
    EntryListPanel panel;
    QLabel archiveLabel{QStringLiteral("Not selected")};
    ScriptedPrompts prompts;
    RecordingOpener opener;
    std::unique_ptr<DMArchive> tab;
    QStringList tips;  // tips of commands reached through the controls
};

// The tab with ThreeEntries() opened from one.pak at path.
class OpenedTab : public ArchiveTabFixture {
protected:
    void SetUp() override;
    QString path;
};
