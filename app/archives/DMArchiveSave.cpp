// Save and Save As: writing the open archive through the container.
#include "archives/DMArchive.h"

#include "archive/DMDataFile.h"
#include "shell/Prompts.h"
#include "shell/WaitCapture.h"

#include <QFile>
#include <QListWidget>

namespace {

QString SelectArchiveToSave() { return QStringLiteral("Please select archive to save first"); }

}  // namespace

void DMArchive::SaveArchive()
{
    if (!m_bArchiveOpen) {
        m_prompts.Message(SelectArchiveToSave());
        return;
    }
    if (!m_prompts.Question(QStringLiteral("This will override current archive. Do you wish to continue?"),
                            QStringLiteral("Confirm override.")))
        return;
    WriteArchive(m_archiveFile);
}

void DMArchive::SaveArchiveAs()
{
    if (!m_bArchiveOpen) {
        m_prompts.Message(SelectArchiveToSave());
        return;
    }
    const QString target = m_prompts.SaveFile(QString(), QString());
    if (target.isEmpty())
        return;
    // Later Saves go to the chosen file even when this write fails.
    m_archiveFile = target;
    WriteArchive(target);
}

bool DMArchive::SaveBeforeClosing()
{
    return m_bArchiveOpen && WriteArchive(m_archiveFile);
}

bool DMArchive::WriteArchive(const QString& path)
{
    int result = 0;
    {
        CWaitCapture wait(m_pFileList);
        result = m_pDataFile->Save(QFile::encodeName(path).constData());
    }
    if (result != 0) {
        m_prompts.Message(QStringLiteral("Errors while saving this file."));
        return false;
    }
    ClearChanges();
    return true;
}

void DMArchive::MarkChanged(bool asksOnOpen)
{
    if (asksOnOpen)
        m_bModified = true;
    m_bUnsaved = true;
    if (m_unsavedObserver)
        m_unsavedObserver(true);
}

void DMArchive::ClearChanges()
{
    m_bModified = false;
    m_bUnsaved = false;
    if (m_unsavedObserver)
        m_unsavedObserver(false);
}
