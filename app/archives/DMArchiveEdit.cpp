// The Archive menu's editing commands: New, Add, Delete, Rename, Update CRC.
// They change the container in memory only; Save writes them.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/EntryProperties.h"
#include "archives/EntryTableModel.h"
#include "archive/DMDataFile.h"
#include "common/Prompts.h"
#include "engine/EditEntries.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>

using tomelens::core::AddSource;
using tomelens::core::ExistingName;
using tomelens::core::Outcome;

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

    // One file under its own name; a name another entry has is accepted.
    const std::string path = LocalPath(source);
    const std::string entryName = name->toStdString();
    AddSources(
        [&](std::vector<AddSource>& sources) {
            sources = {{path, entryName}};
            return Outcome::Success();
        },
        ExistingName::KeepBoth, QStringLiteral("Errors while loading data file."));
}

void DMArchive::DeleteEntry()
{
    if (m_bBusy)
        return;
    const std::vector<int> selected = m_pEntryList->SelectedPositions();
    if (m_bArchiveOpen && selected.size() > 1) {
        if (!m_prompts.Question(QStringLiteral("Are you sure you want to delete these %1 entries?").arg(selected.size()),
                                QStringLiteral("Confirm Delete")))
            return;
        tomelens::core::DeleteEntries(*m_pDataFile, std::vector<unsigned>(selected.begin(), selected.end()));
        m_pEntryList->Model().Remove(selected);
        m_pEntryList->ClearSelection();
        MarkChanged(true);
        return;
    }

    unsigned position = 0;
    const DMDataFileEntry* entry = EntryForCommand("delete", &position);
    if (!entry)
        return;
    if (!m_prompts.Question(QStringLiteral("Are you sure you want to delete: ") + EntryDisplayName(entry->GetName()),
                            QStringLiteral("Confirm Delete")))
        return;

    tomelens::core::DeleteEntries(*m_pDataFile, {position});
    m_pEntryList->Model().Remove({static_cast<int>(position)});
    // The line that moves into the deleted one's place is not chosen for the user.
    m_pEntryList->ClearSelection();
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

    // Any name is taken, one that another entry has included.
    const Outcome renamed = tomelens::core::RenameEntry(*m_pDataFile, position, bytes->toStdString(), ExistingName::KeepBoth);
    if (!renamed.Ok()) {
        ShowFailure(QStringLiteral("Can't rename this entry."), renamed);
        return;
    }
    m_pEntryList->Model().Refresh(*entry, static_cast<int>(position));
    m_pEntryList->SelectPosition(static_cast<int>(position));
    MarkChanged(true);
}

void DMArchive::UpdateEntryCRC()
{
    unsigned position = 0;
    DMDataFileEntry* entry = EntryForCommand("update", &position);
    if (!entry)
        return;
    std::uint32_t value = entry->GetCheckSum();
    if (!m_prompts.EntryCheckSum(value, [entry] { return ComputedCheckSum(*entry); }))
        return;
    // A checksum alone does not count as a change worth asking about on the next open.
    tomelens::core::SetEntryCheckSum(*m_pDataFile, position, value);
    MarkChanged(false);
    m_pEntryList->Model().Refresh(*entry, static_cast<int>(position));
}
