#pragma once

// Helpers shared by the program's GUI tests: a private settings file and home
// (so no test reaches the user's own settings or Wine prefix), a game
// directory built in a temporary folder, and the main window with scripted prompts.

#include "app/support/ScriptedPrompts.h"
#include "resources/Menus.h"
#include "resources/ResourceIds.h"
#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"
#include "spells/SpellRecord.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <string>
#include <vector>


// The texts of a list's lines and of a combo's items, top to bottom.
QStringList Texts(const QListWidget* list);
QStringList Items(const QComboBox* combo);
// A whole file written or read; false or empty when that fails.
bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

// Points TOMELENS_SETTINGS at a fresh ini file and HOME at a fresh folder,
// removes WINEPREFIX, and restores all three when it goes.
class PrivateSettings {
public:
    PrivateSettings();
    ~PrivateSettings();
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

    QString SettingsFile() const;
    QString Home() const;
    // The "DM Path" value as stored in the file; null when absent.
    QString StoredDMPath() const;
    void StoreDMPath(const QString& directory) const;

private:
    struct Saved {
        const char* name;
        bool had;
        QByteArray value;
    };
    QTemporaryDir m_dir;
    std::vector<Saved> m_saved;
};

// A game directory in a temporary folder.
class GameDir {
public:
    GameDir();
    QString Path() const { return m_dir.path(); }
    QString File(const QString& name) const { return m_dir.filePath(name); }
    void WriteSpells(const std::vector<tomelens::core::SpellRecord>& records) const;
    void WriteBytes(const QString& name, const QByteArray& bytes) const;
    // An archive holding entries with these names (each with a little text).
    void WriteArchive(const QString& name, const std::vector<std::string>& entries) const;

private:
    QTemporaryDir m_dir;
};

// A named spell with one usable class.
tomelens::core::SpellRecord MakeSpell(const std::string& name, int classNumber, int level, int skill = 24);

// The main window on scripted prompts, its view sized to width by height; the
// recording opener unless another desktop opener is given.
struct Program {
    explicit Program(int width = 600, int height = 400, DesktopOpener* desktop = nullptr);
    ~Program();

    ScriptedPrompts prompts;
    RecordingOpener opener;
    std::unique_ptr<CMainFrame> frame;
    CTomelensView* view = nullptr;

    // A control of the view by its id (objectName "id<id>").
    template <typename Control = QWidget>
    Control* Find(int id) const
    {
        return view->findChild<Control*>(QStringLiteral("id%1").arg(id));
    }
    QString Tip() const { return Find<QLabel>(1002)->text(); }
    void SelectTab(int index) const { Find<QTabWidget>(1006)->setCurrentIndex(index); }
    // The menus the menu bar shows, left to right.
    QList<QMenu*> ShownMenus() const;
    void Command(int commandId) const;
    // What a double-click on this line of the archive list does; false when
    // no line shows it.
    bool OpenArchive(const QString& name) const;
    // Makes the entry shown under this name the selected one of list 1001;
    // false when no line shows it.
    bool SelectEntry(const QString& name) const;
};

// Private settings and a game directory; Start() runs the program on the
// directory once the test has filled it.
struct ProgramOnGame {
    void Start(DesktopOpener* desktop = nullptr)
    {
        settings.StoreDMPath(game.Path());
        program.emplace(600, 400, desktop);
    }
    PrivateSettings settings;
    GameDir game;
    std::optional<Program> program;
};
