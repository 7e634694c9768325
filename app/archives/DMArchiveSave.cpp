// Save and Save As: writing the open archive through the container.
#include "archives/DMArchive.h"

#include "archives/EntryNames.h"
#include "archive/DMDataFile.h"
#include "ArchiveLock.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"
#include "engine/SaveArchive.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>

using tomelens::core::Outcome;
using tomelens::core::ProgressCallback;

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
    // Later Saves go to the chosen file even when this write fails, and the
    // window names it, so the user is never misled about what Save writes.
    m_archiveFile = target;
    ShowTarget(true);
    HighlightOpenArchive();
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
    const QString failed = QStringLiteral("Errors while saving this file.");
    if (!SourceUnchanged(failed))
        return false;
    switch (MayReplace(path)) {
    case ReplaceAnswer::Replace:
        break;
    case ReplaceAnswer::Reload:
        lock.Release();
        ReloadArchive(path);
        return false;
    case ReplaceAnswer::Keep:
        return false;
    }

    Outcome outcome;
    {
        CWaitCapture wait(m_pFileList);
        outcome = RunInBackground(QStringLiteral("Writing %1 entries").arg(m_pDataFile->GetNumEntries()),
                                  [&](const ProgressCallback& report) {
                                      return tomelens::core::SaveArchive(*m_pDataFile, LocalPath(path), report);
                                  });
    }
    // A cancelled save wrote nothing: the user asked for that, nothing to tell.
    if (outcome.WasCancelled())
        return false;
    if (!outcome.Ok()) {
        ShowFailure(failed, outcome);
        return false;
    }
    // The archive now reads its unchanged entries from the file just written.
    m_source.Start(*m_pDataFile, LocalPath(path));
    RememberIdentity(path);
    ClearChanges();
    return true;
}

void DMArchive::RememberIdentity(const QString& path)
{
    m_identityPath = path;
    m_identity = tomelens::core::FileIdentity::Of(FileSystemPath(path));
}

DMArchive::ReplaceAnswer DMArchive::MayReplace(const QString& path)
{
    if (!m_identity || path != m_identityPath)
        return ReplaceAnswer::Replace;
    const std::optional<tomelens::core::FileIdentity> now = tomelens::core::FileIdentity::Of(FileSystemPath(path));
    if (!now || *now == *m_identity)
        return ReplaceAnswer::Replace;
    // No is the last button, so Enter after Enter keeps the other program's version.
    switch (m_prompts.ChooseCarefully(QStringLiteral("%1 was changed by another program since it was opened. "
                                                     "Replace it with your version?")
                                          .arg(QFileInfo(path).fileName()),
                                      QString(), {QStringLiteral("Yes"), QStringLiteral("Reload"), QStringLiteral("No")})) {
    case 0: return ReplaceAnswer::Replace;
    case 1: return ReplaceAnswer::Reload;
    default: return ReplaceAnswer::Keep;
    }
}

void DMArchive::ReloadArchive(const QString& path)
{
    if (m_bUnsaved &&
        m_prompts.ChooseCarefully(QStringLiteral("Open %1 as it is now? The changes made here since it was opened "
                                                 "or saved will be lost.")
                                      .arg(QFileInfo(path).fileName()),
                                  QString(), {QStringLiteral("Yes"), QStringLiteral("No")}) != 0)
        return;
    ClearChanges();
    const QString tip = OpenArchiveFile(path);
    if (m_setTip)
        m_setTip(tip);
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
