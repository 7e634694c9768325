#include "app/support/GuiFixture.h"

#include "archive/DMDataFile.h"
#include "archives/EntryListPanel.h"
#include "common/Settings.h"
#include "spells/SpellFile.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QSettings>

#include <stdexcept>

using namespace tomelens::core;

PrivateSettings::PrivateSettings()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    for (const char* name : {kSettingsEnvironmentVariable, "HOME", "WINEPREFIX"})
        m_saved.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    qputenv(kSettingsEnvironmentVariable, QFile::encodeName(SettingsFile()));
    qputenv("HOME", QFile::encodeName(Home()));
    qunsetenv("WINEPREFIX");
}

PrivateSettings::~PrivateSettings()
{
    for (const Saved& saved : m_saved) {
        if (saved.had)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
    }
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
    return QSettings(SettingsFile(), QSettings::IniFormat).value(QStringLiteral("DM Path")).toString();
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
    if (!::WriteBytes(File(name), bytes))
        throw std::runtime_error("cannot write a test file");
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

QStringList Texts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

Program::Program(int width, int height, DesktopOpener* desktop)
{
    frame = std::make_unique<CMainFrame>(prompts, desktop ? *desktop : opener);
    view = frame->View();
    view->setFixedSize(width, height);
    frame->show();
    QCoreApplication::processEvents();
    view->ArrangeControls();
}

Program::~Program()
{
    // No command may leave the user facing a prompt they cannot click.
    EXPECT_EQ(prompts.ShownUnderCapture().join(u'|').toStdString(), "");
}

QList<QMenu*> Program::ShownMenus() const
{
    QList<QMenu*> shown;
    for (QAction* entry : frame->menuBar()->actions())
        shown.append(entry->menu());
    return shown;
}

void Program::Command(int commandId) const
{
    // Menus are searched in the bar as shown, like a user's click would.
    QAction* action = FindCommand(ShownMenus(), commandId);
    if (!action)
        throw std::runtime_error("command not in the menu bar");
    action->trigger();
}

bool Program::OpenArchive(const QString& name) const
{
    auto* files = Find<QListWidget>(ids::FileList);
    QListWidgetItem* line = files->findItems(name, Qt::MatchExactly).value(0);
    if (!line)
        return false;
    files->setCurrentItem(line);
    emit files->itemDoubleClicked(line);
    return true;
}

bool Program::SelectEntry(const QString& name) const
{
    auto* panel = Find<EntryListPanel>(ids::EntryList);
    const QAbstractItemModel* shown = panel->View()->model();
    for (int row = 0; row < shown->rowCount(); ++row) {
        if (shown->index(row, 0).data().toString() == name) {
            panel->SelectPosition(shown->index(row, 0).data(Qt::UserRole).toInt());
            return true;
        }
    }
    return false;
}
