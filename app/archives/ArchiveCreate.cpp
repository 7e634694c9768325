// New Archive: an empty archive file made where the user says, opened at once.
#include "archives/DMArchive.h"

#include "archives/EntryNames.h"
#include "common/GameDirectory.h"
#include "common/Prompts.h"
#include "common/SortedLists.h"
#include "engine/CreateArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

#include <algorithm>

void DMArchive::NewArchive()
{
    if (m_bBusy)
        return;
    const QString path = m_prompts.SaveFile(QStringLiteral("new.pak"), QString());
    if (path.isEmpty())
        return;
    // Asked before the file is made, so No leaves the disk as it was.
    if (m_bModified &&
        !m_prompts.Question(QStringLiteral("Current archive was modified.\nDo you want to skip changes?"),
                            QStringLiteral("Skip Changes?")))
        return;

    const tomelens::core::Outcome made = tomelens::core::CreateArchive(LocalPath(path), {}, nullptr);
    if (!made.Ok()) {
        ShowFailure(QStringLiteral("Errors while saving this file."), made);
        return;
    }

    ClearChanges();
    const QString tip = OpenArchiveFile(path);
    if (m_setTip)
        m_setTip(tip);

    // A new archive in the game directory joins the data-file list.
    const bool listed = std::any_of(m_files.cbegin(), m_files.cend(),
                                    [&](const DMFileDesc& file) { return QFileInfo(file.path) == QFileInfo(path); });
    if (!listed && !GetDMPath().isEmpty() && QDir(QFileInfo(path).absolutePath()) == QDir(GetDMPath())) {
        if (m_files.isEmpty())
            m_pFileList->clear();  // the "No data files found!" line
        m_files.append(DMFileDesc{QFileInfo(path).fileName(), path});
        AddLine(m_pFileList, QFileInfo(path).fileName(), static_cast<int>(m_files.size() - 1));
    }
}
