// Save and Save As: writing the open archive through the container.
#include "archives/DMArchive.h"

#include "archive/DMDataFile.h"
#include "ArchiveLock.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>

namespace {

QString SelectArchiveToSave() { return QStringLiteral("Please select archive to save first"); }

std::filesystem::path FileSystemPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

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
    // Other writers of the archive wait for this one, and this one for them,
    // for the whole write.
    tomelens::core::ArchiveLock lock;
    std::string lockError;
    bool locked = false;
    {
        CWaitCapture wait(m_pFileList);
        locked = lock.Acquire(FileSystemPath(path), tomelens::core::kArchiveLockWait, lockError);
    }
    if (!locked) {
        m_prompts.Message(QStringLiteral("This file cannot be saved now: %1\nNothing was written.")
                              .arg(QString::fromLocal8Bit(lockError.c_str())));
        return false;
    }
    if (!SourceIntact()) {
        m_prompts.Message(QStringLiteral("%1 was rewritten in place by another program since it was opened, so the "
                                         "entries not changed here can no longer be read. Open it again to edit it.\n"
                                         "Nothing was written.")
                              .arg(QFileInfo(m_sourcePath).fileName()));
        return false;
    }
    if (!MayReplace(path))
        return false;

    tomelens::core::Outcome outcome;
    {
        CWaitCapture wait(m_pFileList);
        const QByteArray target = QFile::encodeName(path);
        outcome = RunInBackground(QStringLiteral("Writing %1 entries").arg(m_pDataFile->GetNumEntries()),
                                  [&](const tomelens::core::ProgressCallback&) {
                                      if (m_pDataFile->Save(target.constData()) != 0)
                                          return tomelens::core::Outcome::Failure(tomelens::core::Step::Write, {}, {});
                                      return tomelens::core::Outcome::Success();
                                  });
    }
    if (!outcome.Ok()) {
        m_prompts.Message(QStringLiteral("Errors while saving this file."));
        return false;
    }
    RememberIdentity(path);
    ClearChanges();
    return true;
}

void DMArchive::RememberIdentity(const QString& path)
{
    m_identityPath = path;
    m_identity = tomelens::core::FileIdentity::Of(FileSystemPath(path));
}

bool DMArchive::MayReplace(const QString& path)
{
    if (!m_identity || path != m_identityPath)
        return true;
    const std::optional<tomelens::core::FileIdentity> now = tomelens::core::FileIdentity::Of(FileSystemPath(path));
    if (!now || *now == *m_identity)
        return true;
    return m_prompts.Question(QStringLiteral("%1 was changed by another program since it was opened. "
                                             "Replace it with your version?")
                                  .arg(QFileInfo(path).fileName()),
                              QString());
}

bool DMArchive::SourceIntact() const
{
    if (!m_sourceIdentity)
        return true;
    // Replaced or removed, the file the archive was read from lives on while
    // it is open; only a change to that same file loses its bytes.
    const std::optional<tomelens::core::FileIdentity> now = tomelens::core::FileIdentity::Of(FileSystemPath(m_sourcePath));
    return !now || now->device != m_sourceIdentity->device || now->file != m_sourceIdentity->file ||
           *now == *m_sourceIdentity;
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
