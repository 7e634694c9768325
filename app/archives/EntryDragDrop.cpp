// Adding files and folders (Add..., Add Files..., Add Folder..., a drop) and
// handing entries out as files for a drag. The engine does the adding; this
// asks the questions and lists what it added.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/EntryTableModel.h"
#include "archives/ProblemList.h"
#include "archive/DMDataFile.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"
#include "engine/EntryData.h"

#include <QFile>
#include <QListWidget>

#include <unordered_set>

using namespace tomelens::core;

void DMArchive::AddFiles(const QStringList& paths)
{
    if (m_bBusy)
        return;
    if (!m_bArchiveOpen) {
        m_prompts.Message(QStringLiteral("Please select archive first."));
        return;
    }
    if (paths.isEmpty())
        return;
    std::vector<std::string> local;
    for (const QString& path : paths)
        local.push_back(LocalPath(path));
    // The archive's own file, should it lie in a folder given, is not added to itself.
    const std::optional<FileIdentity> self = FileIdentity::Of(std::filesystem::path(m_archiveFile.toStdU16String()));
    AddSources([&](std::vector<AddSource>& sources) { return CollectFiles(local, self, sources); },
               ExistingName::Ask, QStringLiteral("Errors while loading data file."));
}

void DMArchive::AddFilesEntries()
{
    if (!m_bArchiveOpen) {
        m_prompts.Message(QStringLiteral("Please select archive first."));
        return;
    }
    AddFiles(m_prompts.OpenFiles(QStringLiteral("Add Files")));
}

void DMArchive::AddFolderEntries()
{
    if (!m_bArchiveOpen) {
        m_prompts.Message(QStringLiteral("Please select archive first."));
        return;
    }
    const QString folder = m_prompts.ChooseFolder(QStringLiteral("Add Folder"));
    if (!folder.isEmpty())
        AddFiles({folder});
}

NameAnswer DMArchive::AskExistingName(std::string_view name)
{
    bool forAll = false;
    const int answer = m_prompts.Choose(
        QStringLiteral("The archive already has an entry named \"%1\".").arg(EntryDisplayName(std::string(name).c_str())),
        QStringLiteral("Add Files"),
        {QStringLiteral("Replace"), QStringLiteral("Keep Both"), QStringLiteral("Skip"), QStringLiteral("Cancel")},
        &forAll);
    switch (answer) {
    case 0: return forAll ? NameAnswer::ReplaceAll : NameAnswer::Replace;
    case 1: return forAll ? NameAnswer::KeepBothAll : NameAnswer::KeepBoth;
    case 2: return forAll ? NameAnswer::SkipAll : NameAnswer::Skip;
    default: return NameAnswer::Cancel;
    }
}

void DMArchive::AddSources(const CollectSources& collect, ExistingName existing, const QString& failureText)
{
    const unsigned before = m_pDataFile->GetNumEntries();
    std::vector<AddSource> sources;
    AddReport report;
    AddOptions options;
    options.existing = existing;
    options.ask = [this](std::string_view name) {
        return AskOnWindowThread<NameAnswer>([&] { return AskExistingName(name); });
    };
    const Outcome outcome = RunInBackground(QStringLiteral("Adding files"), [&](const ProgressCallback& progress) {
        if (Outcome collected = collect(sources); !collected.Ok())
            return collected;
        options.progress = progress;
        report = tomelens::core::AddFiles(*m_pDataFile, sources, options);
        return report.outcome;
    });
    if (outcome.WasCancelled())
        return;
    if (!outcome.Ok()) {
        const QString problems = report.problems.size() > 1 ? ProblemList(report.problems)
                                                            : QString::fromStdString(outcome.Message());
        m_prompts.Message(problems.isEmpty() ? failureText : failureText + QLatin1Char('\n') + problems);
        return;
    }
    if (sources.empty()) {
        m_prompts.Message(QStringLiteral("There are no files to add."));
        return;
    }
    if (outcome.done == 0)
        return;

    // New entries come after every one there was; replaced ones keep their places.
    std::vector<std::pair<const DMDataFileEntry*, int>> added;
    for (unsigned position = before; position < m_pDataFile->GetNumEntries(); ++position) {
        const DMDataFileEntry* entry = m_pDataFile->GetEntry(position);
        if (entry && !entry->Deleted())
            added.emplace_back(entry, static_cast<int>(position));
    }
    if (added.size() < outcome.done) {
        std::unordered_set<std::string> names;
        for (const AddSource& source : sources)
            names.insert(source.name);
        for (const int position : m_pEntryList->Model().ListedPositions()) {
            const DMDataFileEntry* entry = m_pDataFile->GetEntry(static_cast<unsigned>(position));
            if (entry && static_cast<unsigned>(position) < before && names.count(entry->GetName()))
                m_pEntryList->Model().Refresh(*entry, position);
        }
    }
    m_pEntryList->Model().AddMany(added);
    MarkChanged(true);
}

QStringList DMArchive::FilesForDrag(const std::vector<int>& positions)
{
    QStringList files;
    if (!m_bArchiveOpen || m_bBusy || !m_source.Check().Ok())
        return files;
    CWaitCapture wait(m_pFileList);
    for (const int position : positions) {
        const DMDataFileEntry* entry = m_pDataFile->GetEntry(static_cast<unsigned>(position));
        if (!entry)
            continue;
        const QString path = m_tempFiles.PathFor(EntryDisplayName(entry->GetName()),
                                                 m_archiveFile + QLatin1Char('#') + QString::number(position));
        if (path.isEmpty() || !tomelens::core::SaveEntryData(*entry, LocalPath(path), &m_source).Ok()) {
            QFile::remove(path);
            continue;
        }
        m_tempFiles.Record(path);
        files.append(path);
    }
    return files;
}
