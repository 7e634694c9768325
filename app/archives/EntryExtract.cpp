// Extract: the engine writes the chosen entries below a folder the user
// picks, keeping their folders and never through a link; this asks which
// folder, what to do about files already there, and tells how it went.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/ProblemList.h"
#include "archive/DMDataFile.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"
#include "engine/EntryNames.h"
#include "engine/ExtractEntries.h"

#include <QDir>
#include <QListWidget>
#include <QScopedValueRollback>

using namespace tomelens::core;

namespace {

// The buttons of the question about a file already there, in FileAnswer's terms.
const std::pair<const char*, FileAnswer> kExistingFileButtons[] = {
    {"Overwrite", FileAnswer::Overwrite}, {"Skip", FileAnswer::Skip},         {"Overwrite All", FileAnswer::OverwriteAll},
    {"Skip All", FileAnswer::SkipAll},    {"Keep Both", FileAnswer::KeepBoth}, {"Cancel", FileAnswer::Cancel},
};

}  // namespace

void DMArchive::ExtractEntries()
{
    if (m_bBusy)
        return;
    if (!m_bArchiveOpen) {
        m_prompts.Message(QStringLiteral("Please select archive first."));
        return;
    }
    const std::vector<int> selected = SelectedOrAll();
    if (selected.empty()) {
        m_prompts.Message(QStringLiteral("The archive has no entries to extract."));
        return;
    }
    const QString folder = m_prompts.ChooseFolder(QStringLiteral("Extract to"));
    if (folder.isEmpty())
        return;
    const QString failed = QStringLiteral("The entries could not be extracted.");
    if (!SourceUnchanged(failed))
        return;

    const std::vector<unsigned> positions(selected.begin(), selected.end());
    ExtractOptions options;
    options.folder = std::filesystem::path(folder.toStdU16String());
    options.existing = ExistingFile::Ask;
    options.archivePath = LocalPath(m_archiveFile);
    options.ask = [this](const std::string& path) {
        return AskOnWindowThread<FileAnswer>([&] {
            QStringList buttons;
            for (const auto& [text, answer] : kExistingFileButtons)
                buttons.append(QString::fromLatin1(text));
            const int chosen = m_prompts.Choose(
                QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(QString::fromStdString(path))),
                QStringLiteral("Extract"), buttons);
            return chosen < 0 ? FileAnswer::Cancel : kExistingFileButtons[chosen].second;
        });
    };
    ExtractReport report;
    Outcome outcome;
    {
        CWaitCapture wait(m_pFileList);
        outcome = RunInBackground(QStringLiteral("Extracting entries"), [&](const ProgressCallback& progress) {
            options.progress = progress;
            report = tomelens::core::ExtractEntries(*m_pDataFile, positions, options, &m_source);
            return report.outcome;
        });
    }

    QStringList problems;
    for (const ExtractNote& note : report.notes) {
        if (note.IsFailure())
            problems.append(QString::fromStdString(EntryLabel(m_pDataFile->GetEntry(note.position)->GetName()) + ": " +
                                                   note.cause));
    }
    if (outcome.WasCancelled()) {
        m_prompts.Message(QStringLiteral("Extraction cancelled: %1 of %2 files were written.")
                              .arg(outcome.done)
                              .arg(positions.size()));
    } else if (!problems.isEmpty()) {
        m_prompts.Message(QStringLiteral("%1 of %2 entries could not be written.\n").arg(problems.size()).arg(positions.size()) +
                          ProblemList(problems));
    } else if (!outcome.Ok()) {
        ShowFailure(failed, outcome);
    }
}

Outcome DMArchive::RunInBackground(const QString& title, const BackgroundJob& job)
{
    const QScopedValueRollback busy(m_bBusy, true);
    bool cancelAsked = false;
    Outcome outcome = ::RunInBackground(m_pFileList, title, job, &cancelAsked);
    // Otherwise the user would take the work for undone.
    if (cancelAsked && !outcome.WasCancelled())
        m_prompts.Message(QStringLiteral("The work was already complete and could not be cancelled."));
    return outcome;
}
