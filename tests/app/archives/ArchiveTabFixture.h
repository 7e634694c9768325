#pragma once

#include "ArchiveMaker.h"

#include "archives/DMArchive.h"
#include "shell/testing/ScriptedPrompts.h"

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

// One line of a list: its text and its datum.
using Line = std::pair<QString, int>;

// The Archives tab's controls, scripted prompts and a recording opener around
// a DMArchive, with a game directory and a viewing directory of the test's own.
class ArchiveTabFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes an archive into the game directory and gives its path.
    QString PutArchive(const QString& fileName, const std::vector<TestEntry>& entries);
    QString PutFile(const QString& fileName, const QByteArray& bytes);
    // A file outside the game directory (for Add and Load Data).
    QString PutOutsideFile(const QString& fileName, const QByteArray& bytes);

    // Runs discovery, selects the file by its line text and opens it.
    QString Open(const QString& fileName);
    void SelectFile(const QString& text);
    void SelectEntry(const QString& text);
    int EntryDatum(const QString& text) const;

    static QList<Line> LinesOf(const QListWidget& list);
    QList<Line> FileLines() const { return LinesOf(fileList); }
    QList<Line> EntryLines() const { return LinesOf(entryList); }
    QString SelectedEntryText() const;

    DMDataFileEntry* EntryAt(int position) const;

    QTemporaryDir gameDir;
    QTemporaryDir viewDir;
    QTemporaryDir outsideDir;
    QListWidget fileList;
    QListWidget entryList;
    QLabel archiveLabel{QStringLiteral("Not selected")};
    ScriptedPrompts prompts;
    RecordingOpener opener;
    std::unique_ptr<DMArchive> tab;
};

// The three entries that most tests open: names in mixed case, so the sorted
// list order differs from data order.
std::vector<TestEntry> ThreeEntries();
