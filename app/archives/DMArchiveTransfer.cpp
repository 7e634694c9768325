// Moving an entry's bytes between the open archive and ordinary files:
// viewing through the desktop, Save Data and Load Data.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/EntryTableModel.h"
#include "archives/ViewWatcher.h"
#include "archive/DMDataFile.h"
#include "common/DesktopOpener.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"
#include "engine/EditEntries.h"
#include "engine/EntryData.h"
#include "engine/LibraryMessages.h"

#include <QFile>
#include <QListWidget>

namespace {

const QString kCantOpen = QStringLiteral("Can't open this file\n");
const QString kSaveDataInstead =
    QStringLiteral(" Try \"Archive\"->\"Save Data...\" and open the saved file yourself.");

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
    // A file that could not be written in full, or whose bytes were read
    // while another program rewrote the archive, is never handed to the desktop.
    const tomelens::core::Outcome saved = tomelens::core::SaveEntryData(*entry, LocalPath(path), &m_source);
    if (!saved.Ok()) {
        QFile::remove(path);
        m_prompts.Message(kCantOpen + QString::fromStdString(saved.Message()));
        if (saved.step == tomelens::core::Step::Inflate)
            return QStringLiteral("The entry's data is damaged and cannot be unpacked, so "
                                  "\"Archive\"->\"Save Data...\" cannot save it either.");
        if (saved.step == tomelens::core::Step::Changed)
            return QStringLiteral("The archive file could not be read: another program changed it since it was opened.");
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
    if (const tomelens::core::Outcome saved = tomelens::core::SaveEntryData(*entry, LocalPath(target), &m_source);
        !saved.Ok())
        m_prompts.Message(failed + QLatin1Char('\n') + QString::fromStdString(saved.Message()));
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
