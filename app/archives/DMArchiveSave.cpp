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

void DMArchive::WriteArchive(const QString& path)
{
    int result = 0;
    {
        CWaitCapture wait(m_pFileList);
        const QByteArray target = QFile::encodeName(path);
        result = RunInBackground(QStringLiteral("Writing %1 entries").arg(m_pDataFile->GetNumEntries()), 0,
                                 [&](std::atomic<int>&) { return m_pDataFile->Save(target.constData()); });
    }
    if (result == 0)
        m_bModified = false;
    else
        m_prompts.Message(QStringLiteral("Errors while saving this file."));
}
