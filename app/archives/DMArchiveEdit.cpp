// The Archive menu's editing commands: New, Add, Delete, Rename, Update CRC.
// They change the container in memory only; Save writes them.
#include "archives/DMArchive.h"

#include "archives/EntryNames.h"
#include "archives/ListLines.h"
#include "archive/DMDataFile.h"
#include "shell/Prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>

#include <cstdint>

namespace {

QString SelectArchiveFirst() { return QStringLiteral("Please select archive first."); }
}  // namespace

DMDataFileEntry* DMArchive::CreateEntry(unsigned& position)
{
    position = m_pDataFile->AddEntry();
    DMDataFileEntry* entry = m_pDataFile->GetEntry(position);
    if (!entry)
        m_prompts.Message(QStringLiteral("Can't create new entry."));
    return entry;
}

void DMArchive::NewEntry()
{
    if (!m_bArchiveOpen) {
        m_prompts.Message(SelectArchiveFirst());
        return;
    }
    unsigned position = 0;
    DMDataFileEntry* entry = CreateEntry(position);
    if (!entry)
        return;
    entry->SetName(" Unnamed");
    MarkChanged(true);
    AddEntryLine(*entry, position);
}

void DMArchive::AddFileEntry()
{
    if (!m_bArchiveOpen) {
        m_prompts.Message(SelectArchiveFirst());
        return;
    }
    const QString source = m_prompts.OpenFile(QString());
    if (source.isEmpty())
        return;
    // A file name the archive cannot store byte for byte adds nothing.
    const std::optional<QByteArray> name = EntryNameBytes(QFileInfo(source).fileName());
    if (!name) {
        m_prompts.Message(NameNotStorableMessage());
        return;
    }

    unsigned position = 0;
    DMDataFileEntry* entry = CreateEntry(position);
    if (!entry)
        return;
    entry->SetName(name->constData());
    if (entry->LoadData(QFile::encodeName(source).constData()) != 0) {
        m_pDataFile->DelEntry(position);
        m_prompts.Message(QStringLiteral("Errors while loading data file."));
        return;
    }
    AddEntryLine(*entry, position);
    MarkChanged(true);
}

void DMArchive::DeleteEntry()
{
    unsigned position = 0;
    const DMDataFileEntry* entry = EntryForCommand("delete", &position);
    if (!entry)
        return;
    if (!m_prompts.Question(QStringLiteral("Are you sure you want to delete: ") + EntryDisplayName(entry->GetName()),
                            QStringLiteral("Confirm Delete")))
        return;

    m_pDataFile->DelEntry(position);
    delete m_pEntryList->takeItem(m_pEntryList->row(m_pEntryList->selectedItems().first()));
    // The line that moves into the deleted one's place is not chosen for the user.
    m_pEntryList->clearSelection();
    MarkChanged(true);
}

void DMArchive::RenameEntry()
{
    unsigned position = 0;
    DMDataFileEntry* entry = EntryForCommand("rename", &position);
    if (!entry)
        return;
    // A refused name returns to the dialog with what the user typed.
    QString newName = EntryDisplayName(entry->GetName());
    std::optional<QByteArray> bytes;
    while (!bytes) {
        if (!m_prompts.Rename(newName))
            return;
        char32_t bad = 0;
        bytes = EntryNameBytes(newName, &bad);
        if (!bytes)
            m_prompts.Message(NameNotStorableMessage(bad));
    }

    entry->SetName(bytes->constData());
    delete m_pEntryList->takeItem(m_pEntryList->row(m_pEntryList->selectedItems().first()));
    m_pEntryList->setCurrentItem(AddEntryLine(*entry, position));
    MarkChanged(true);
}

void DMArchive::UpdateEntryCRC()
{
    DMDataFileEntry* entry = EntryForCommand("update");
    if (!entry)
        return;
    std::uint32_t value = entry->GetCheckSum();
    if (!m_prompts.CheckSum(value))
        return;
    // A checksum alone does not count as a change worth asking about on the next open.
    entry->SetCheckSum(value);
    MarkChanged(false);
}
