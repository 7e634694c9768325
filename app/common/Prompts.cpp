#include "common/Prompts.h"

#include "common/WaitCapture.h"

#include <QDir>
#include <QFileInfo>

void Prompts::Message(const QString& text, const QString& caption)
{
    const WaitSuspension free;
    ShowMessage(text, caption);
}

bool Prompts::Question(const QString& text, const QString& caption)
{
    const WaitSuspension free;
    return AskQuestion(text, caption);
}

Prompts::SaveChoice Prompts::SaveChanges(const QString& text)
{
    const WaitSuspension free;
    return AskSaveChanges(text);
}

QString Prompts::OpenFile(const QString& proposedName)
{
    const WaitSuspension free;
    return Chosen(AskOpenFile(StartFolder(), proposedName));
}

QStringList Prompts::OpenFiles(const QString& caption)
{
    const WaitSuspension free;
    const QStringList files = AskOpenFiles(StartFolder(), caption);
    if (!files.isEmpty())
        Chosen(files.constFirst());
    return files;
}

QString Prompts::SaveFile(const QString& proposedName, const QString& defaultSuffix)
{
    const WaitSuspension free;
    return Chosen(AskSaveFile(StartFolder(), proposedName, defaultSuffix));
}

bool Prompts::Rename(QString& name)
{
    const WaitSuspension free;
    return AskRename(name);
}

bool Prompts::CheckSum(std::uint32_t& value)
{
    const WaitSuspension free;
    return AskCheckSum(value);
}

QString Prompts::ChooseGameFile()
{
    const WaitSuspension free;
    // Choosing the game directory starts from the one in use, if any.
    const QString inPlay = FolderInPlay();
    return Chosen(AskGameFile(inPlay.isEmpty() ? m_lastFolder : inPlay));
}

int Prompts::Choose(const QString& text, const QString& caption, const QStringList& buttons, bool* forAll)
{
    const WaitSuspension free;
    return AskChoice(text, caption, buttons, forAll);
}

int Prompts::ChooseCarefully(const QString& text, const QString& caption, const QStringList& buttons)
{
    const WaitSuspension free;
    const int chosen = AskCarefully(text, caption, buttons);
    return chosen >= 0 && chosen < buttons.size() ? chosen : static_cast<int>(buttons.size()) - 1;
}

QString Prompts::ChooseFolder(const QString& caption)
{
    const WaitSuspension free;
    const QString folder = AskFolder(StartFolder(), caption);
    if (!folder.isEmpty())
        m_lastFolder = folder;
    return folder;
}

bool Prompts::EntryCheckSum(std::uint32_t& value, const std::function<std::optional<std::uint32_t>()>& compute)
{
    const WaitSuspension free;
    return AskEntryCheckSum(value, compute);
}

void Prompts::Properties(const QString& title, const QList<QPair<QString, QString>>& lines)
{
    const WaitSuspension free;
    ShowProperties(title, lines);
}

QString Prompts::FolderInPlay() const
{
    if (!m_folderInPlay)
        return QString();
    const QString folder = m_folderInPlay();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

QString Prompts::StartFolder() const
{
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        return m_lastFolder;
    return FolderInPlay();
}

QString Prompts::Chosen(const QString& path)
{
    if (!path.isEmpty())
        m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}
