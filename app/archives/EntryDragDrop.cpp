// Drag and drop: files dropped on the entry list become entries; entries
// dragged out arrive as files named after them.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/EntryTableModel.h"
#include "archive/DMDataFile.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QListWidget>

namespace {

enum NameTakenAnswer { Replace, AddAnyway, Skip };

// The files a drop stands for: files as they are, a folder by the files directly in it.
QStringList DroppedFiles(const QStringList& paths)
{
    QStringList files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            for (const QFileInfo& inner : QDir(path).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
                files.append(inner.filePath());
        } else if (info.isFile()) {
            files.append(path);
        }
    }
    return files;
}

}  // namespace

void DMArchive::AddFiles(const QStringList& paths)
{
    if (m_bBusy)
        return;
    if (!m_bArchiveOpen) {
        m_prompts.Message(QStringLiteral("Please select archive first."));
        return;
    }
    const QStringList files = DroppedFiles(paths);
    if (files.isEmpty())
        return;

    // One index of the names for the whole drop, not a scan per file.
    QHash<QByteArray, unsigned> byName;
    for (unsigned position = 0; position < m_pDataFile->GetNumEntries(); ++position) {
        const DMDataFileEntry* entry = m_pDataFile->GetEntry(position);
        if (entry && !entry->Deleted() && !byName.contains(entry->GetName()))
            byName.insert(entry->GetName(), position);
    }

    CWaitCapture wait(m_pFileList);
    std::vector<std::pair<const DMDataFileEntry*, int>> added;
    int unreadable = 0;
    int refused = 0;
    int forAll = -1;
    for (const QString& file : files) {
        const std::optional<QByteArray> name = EntryNameBytes(QFileInfo(file).fileName());
        if (!name) {
            ++refused;
            continue;
        }
        const QByteArray source = QFile::encodeName(file);
        if (const auto taken = byName.constFind(*name); taken != byName.cend()) {
            int answer = forAll;
            if (answer < 0) {
                bool remember = false;
                answer = m_prompts.Choose(
                    QStringLiteral("The archive already has an entry named \"%1\".").arg(EntryDisplayName(name->constData())),
                    QStringLiteral("Add Files"),
                    {QStringLiteral("Replace"), QStringLiteral("Add Anyway"), QStringLiteral("Skip")}, &remember);
                if (answer < 0)
                    break;  // closed: the files not yet added stay out
                if (remember)
                    forAll = answer;
            }
            if (answer == Skip)
                continue;
            if (answer == Replace) {
                DMDataFileEntry* entry = m_pDataFile->GetEntry(*taken);
                if (entry->LoadData(source.constData()) != 0) {
                    ++unreadable;
                } else {
                    MarkChanged(true);
                    m_pEntryList->Model().Refresh(*entry, static_cast<int>(*taken));
                }
                continue;
            }
        }
        unsigned position = 0;
        DMDataFileEntry* entry = CreateEntry(position);
        if (!entry)
            break;
        entry->SetName(name->constData());
        if (entry->LoadData(source.constData()) != 0) {
            m_pDataFile->DelEntry(position);
            ++unreadable;
            continue;
        }
        if (!byName.contains(*name))
            byName.insert(*name, position);
        added.emplace_back(entry, static_cast<int>(position));
        MarkChanged(true);
    }
    m_pEntryList->Model().AddMany(added);

    if (unreadable != 0)
        m_prompts.Message(unreadable == 1 ? QStringLiteral("Errors while loading data file.")
                                          : QStringLiteral("%1 files could not be read and were not added.").arg(unreadable));
    if (refused != 0)
        m_prompts.Message(NameNotStorableMessage());
}

QStringList DMArchive::FilesForDrag(const std::vector<int>& positions)
{
    QStringList files;
    if (!m_bArchiveOpen || m_bBusy)
        return files;
    CWaitCapture wait(m_pFileList);
    for (const int position : positions) {
        const DMDataFileEntry* entry = m_pDataFile->GetEntry(static_cast<unsigned>(position));
        if (!entry)
            continue;
        const QString path = m_tempFiles.PathFor(EntryDisplayName(entry->GetName()),
                                                 m_archiveFile + QLatin1Char('#') + QString::number(position));
        if (path.isEmpty() || entry->SaveData(QFile::encodeName(path).constData()) != 0) {
            QFile::remove(path);
            continue;
        }
        m_tempFiles.Record(path);
        files.append(path);
    }
    return files;
}
