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
        m_prompts.Message(kCantOpen);
        if (saved == DMResult::CorruptData)
            return QStringLiteral("The entry's data is damaged and cannot be unpacked, so "
                                  "\"Archive\"->\"Save Data...\" cannot save it either.");
        // The open archive reads its entries from the file when they are used.
        if (saved == DMResult::ShortRead)
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

    CWaitCapture wait(m_pFileList);
    if (entry->SaveData(QFile::encodeName(target).constData()) != 0)
        m_prompts.Message(QStringLiteral("Errors while saving data file"));
}

void DMArchive::LoadEntryData()
{
    DMDataFileEntry* entry = EntryForCommand("load");
    if (!entry)
        return;
    const QString source = m_prompts.OpenFile(EntryDisplayName(entry->GetName()));
    if (source.isEmpty())
        return;

    CWaitCapture wait(m_pFileList);
    if (entry->LoadData(QFile::encodeName(source).constData()) != 0) {
        m_prompts.Message(QStringLiteral("Errors while loading data file."));
    } else {
        MarkChanged(true);
        if (const std::optional<int> position = m_pEntryList->CommandPosition())
            m_pEntryList->Model().Refresh(*entry, *position);
    }
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
    if (entry->LoadData(QFile::encodeName(path).constData()) != 0) {
        m_prompts.Message(QStringLiteral("Errors while loading data file."));
        return;
    }
    MarkChanged(true);
    m_pEntryList->Model().Refresh(*entry, position);
}
