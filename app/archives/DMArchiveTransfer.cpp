// Moving an entry's bytes between the open archive and ordinary files:
// viewing through the desktop, Save Data and Load Data.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/EntryTableModel.h"
#include "archives/ViewWatcher.h"
#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"
#include "common/DesktopOpener.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"
#include "engine/EditEntries.h"
#include "engine/LibraryMessages.h"

#include <QFile>
#include <QListWidget>

namespace {

const QString kCantOpen = QStringLiteral("Can't open this file\n");
const QString kSaveDataInstead =
    QStringLiteral(" Try \"Archive\"->\"Save Data...\" and open the saved file yourself.");

// Why an entry could not be written to a file: its data could not be read,
// or the file could not be written.
QString EntryWriteCause(const QString& path, int code)
{
    const std::string cause = code == DMResult::CorruptData || code == DMResult::ShortRead
                                  ? tomelens::core::EntryDataMessage(code)
                                  : tomelens::core::ArchiveSaveMessage(code);
    return path + QStringLiteral(": ") + QString::fromStdString(cause);
}

QString NoProgramTip()
{
    return QStringLiteral("No program is set up to open this kind of file.") + kSaveDataInstead;
}

}  // namespace

QString DMArchive::ViewEntry()
{
    unsigned position = 0;
    const DMDataFileEntry* entry = SelectedEntry(&position);
    if (!entry || m_bBusy)
        return {};

    CWaitCapture wait(m_pFileList);
    const QString notWritten = QStringLiteral("The temporary file for viewing could not be written.") + kSaveDataInstead;
    // The entries not changed here are read from the archive's file: if
    // another program rewrote it, they are gone.
    if (const tomelens::core::Outcome unchanged = m_source.Check(); !unchanged.Ok()) {
        m_prompts.Message(kCantOpen + QString::fromStdString(unchanged.Message()));
        return QStringLiteral("The archive file could not be read: another program changed it since it was opened.");
    }
    // Each entry of each archive has a file of its own.
    const QString path = m_tempFiles.PathFor(EntryDisplayName(entry->GetName()),
                                             m_archiveFile + QLatin1Char('#') + QString::number(position));
    if (path.isEmpty()) {
        m_prompts.Message(kCantOpen);
        return notWritten;
    }
    // A file that could not be written in full is never handed to the desktop.
    const int saved = entry->SaveData(QFile::encodeName(path).constData());
    if (saved != 0) {
        QFile::remove(path);
        m_prompts.Message(kCantOpen + EntryWriteCause(EntryDisplayName(entry->GetName()), saved));
        if (saved == DMResult::CorruptData)
            return QStringLiteral("The entry's data is damaged and cannot be unpacked, so "
                                  "\"Archive\"->\"Save Data...\" cannot save it either.");
        return notWritten;
    }
    if (m_opener.Open(path)) {
        m_tempFiles.Record(path);
        m_pWatcher->Watch(path, static_cast<int>(position));
        return {};
    }
    m_prompts.Message(kCantOpen);
    QFile::remove(path);
    return NoProgramTip();
}

QString DMArchive::ViewLaunchFailed(bool openerMissing)
{
    m_prompts.Message(kCantOpen);
    if (openerMissing)
        return QStringLiteral("No program is set up to open files: the desktop's opener could not be started.") + kSaveDataInstead;
    return NoProgramTip();
}

void DMArchive::SaveEntryData()
{
    const DMDataFileEntry* entry = EntryForCommand("save");
    if (!entry)
        return;
    // The proposal is the entry's name made safe, so a name from the archive
    // cannot point the dialog at another directory.
    const QString target = m_prompts.SaveFile(SafeFileName(EntryDisplayName(entry->GetName())), QString());
    if (target.isEmpty())
        return;

    const QString failed = QStringLiteral("Errors while saving data file");
    if (!SourceUnchanged(failed))
        return;
    CWaitCapture wait(m_pFileList);
    if (const int code = entry->SaveData(QFile::encodeName(target).constData()); code != 0)
        m_prompts.Message(failed + QLatin1Char('\n') + EntryWriteCause(target, code));
}

void DMArchive::LoadEntryData()
{
    unsigned position = 0;
    DMDataFileEntry* entry = EntryForCommand("load", &position);
    if (!entry)
        return;
    const QString source = m_prompts.OpenFile(EntryDisplayName(entry->GetName()));
    if (source.isEmpty())
        return;

    CWaitCapture wait(m_pFileList);
    const tomelens::core::Outcome replaced = tomelens::core::ReplaceData(*m_pDataFile, position, LocalPath(source));
    if (!replaced.Ok()) {
        ShowFailure(QStringLiteral("Errors while loading data file."), replaced);
        return;
    }
    MarkChanged(true);
    m_pEntryList->Model().Refresh(*entry, static_cast<int>(position));
}

void DMArchive::OfferViewedFileBack(const QString& path, int position)
{
    DMDataFileEntry* entry = m_bArchiveOpen ? m_pDataFile->GetEntry(static_cast<unsigned>(position)) : nullptr;
    if (!entry || entry->Deleted())
        return;
    const QString name = EntryDisplayName(entry->GetName());
    if (!m_prompts.Question(
            QStringLiteral("%1 was changed in another program. Update the entry in the archive?").arg(name),
            QString()))
        return;
    // The question may have taken a while: the archive could be another one now.
    if (!m_bArchiveOpen || m_pDataFile->GetEntry(static_cast<unsigned>(position)) != entry)
        return;
    const tomelens::core::Outcome replaced =
        tomelens::core::ReplaceData(*m_pDataFile, static_cast<unsigned>(position), LocalPath(path));
    if (!replaced.Ok()) {
        ShowFailure(QStringLiteral("Errors while loading data file."), replaced);
        return;
    }
    MarkChanged(true);
    m_pEntryList->Model().Refresh(*entry, position);
}
