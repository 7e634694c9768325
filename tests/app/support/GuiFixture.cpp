#include "app/support/GuiFixture.h"

#include "archive/DMDataFile.h"
#include "resources/Menus.h"
#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"
#include "shell/Settings.h"
#include "spells/SpellFile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTabWidget>

#include <stdexcept>

namespace {
void Remember(const char* name, QByteArray& value, bool& had)
{
    had = qEnvironmentVariableIsSet(name);
    value = qgetenv(name);
}
void Restore(const char* name, const QByteArray& value, bool had)
{
    if (had)
        qputenv(name, value);
    else
        qunsetenv(name);
}
}  // namespace

PrivateSettings::PrivateSettings()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    Remember(kSettingsEnvironmentVariable, m_oldSettings, m_hadSettings);
    Remember("HOME", m_oldHome, m_hadHome);
    Remember("WINEPREFIX", m_oldWinePrefix, m_hadWinePrefix);
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    qputenv(kSettingsEnvironmentVariable, QFile::encodeName(SettingsFile()));
    qputenv("HOME", QFile::encodeName(Home()));
    qunsetenv("WINEPREFIX");
}

PrivateSettings::~PrivateSettings()
{
    Restore(kSettingsEnvironmentVariable, m_oldSettings, m_hadSettings);
    Restore("HOME", m_oldHome, m_hadHome);
    Restore("WINEPREFIX", m_oldWinePrefix, m_hadWinePrefix);
}

QString PrivateSettings::SettingsFile() const
{
    return m_dir.filePath(QStringLiteral("settings.ini"));
}

QString PrivateSettings::Home() const
{
    return m_dir.filePath(QStringLiteral("home"));
}

QString PrivateSettings::StoredDMPath() const
{
    QSettings settings(SettingsFile(), QSettings::IniFormat);
    return settings.contains(QStringLiteral("DM Path"))
               ? settings.value(QStringLiteral("DM Path")).toString()
               : QString();
}

void PrivateSettings::StoreDMPath(const QString& directory) const
{
    QSettings settings(SettingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("DM Path"), directory);
}

GameDir::GameDir()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
}

void GameDir::WriteSpells(const std::vector<SpellRecord>& records) const
{
    if (!WriteSpellFile(QFile::encodeName(File(QStringLiteral("spdat.eff"))).toStdString(), records))
        throw std::runtime_error("cannot write spdat.eff");
}

void GameDir::WriteBytes(const QString& name, const QByteArray& bytes) const
{
    QFile file(File(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a test file");
}

void GameDir::WriteArchive(const QString& name, const std::vector<std::string>& entries) const
{
    DMDataFile* archive = CreateDMDataFile(nullptr);
    archive->AddEntry();  // the name list of a container that was never loaded
    for (const std::string& entryName : entries) {
        DMDataFileEntry* entry = archive->GetEntry(archive->AddEntry());
        entry->SetName(entryName.c_str());
        const std::string text = "content of " + entryName;
        entry->SetData(text.data(), unsigned(text.size()));
    }
    const int result = archive->Save(QFile::encodeName(File(name)).constData());
    DestroyDMDataFile(archive);
    if (result != 0)
        throw std::runtime_error("cannot write a test archive");
}

SpellRecord MakeSpell(const std::string& name, int classNumber, int level, int skill)
{
    SpellRecord spell = SpellRecord::MakeEmpty();
    spell.SetName(name).SetSkill(std::uint8_t(skill)).SetMana(10);
    spell.SetClassLevel(classNumber, std::uint8_t(level));
    return spell;
}

Program::Program(int width, int height)
{
    frame = std::make_unique<CMainFrame>(prompts, opener);
    view = frame->View();
    view->setFixedSize(width, height);
    frame->show();
    QCoreApplication::processEvents();
    view->ArrangeControls();
}

Program::~Program() = default;

QWidget* Program::ViewWidget() const
{
    return view;
}

QString Program::Tip() const
{
    return Find<QLabel>(1002)->text();
}

void Program::SelectTab(int index) const
{
    Find<QTabWidget>(1006)->setCurrentIndex(index);
}

QStringList Program::MenuTitles() const
{
    QStringList titles;
    for (QAction* entry : frame->menuBar()->actions())
        titles.append(entry->text());
    return titles;
}

bool Program::Shows(const QList<QMenu*>& menus) const
{
    const QList<QAction*> entries = frame->menuBar()->actions();
    if (entries.size() != menus.size())
        return false;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i]->menu() != menus[i])
            return false;
    }
    return true;
}

void Program::Command(int commandId) const
{
    // Menus are searched in the bar as shown, like a user's click would.
    QList<QMenu*> shown;
    for (QAction* entry : frame->menuBar()->actions())
        shown.append(entry->menu());
    QAction* action = FindCommand(shown, commandId);
    if (!action)
        throw std::runtime_error("command not in the menu bar");
    action->trigger();
}
