// Extract: writes entries into a folder the user picks, under the safe names
// the view uses. Every question is asked before the first file is written, so
// Cancel leaves the folder as it was.
#include "archives/DMArchive.h"

#include "common/BackgroundWork.h"
#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archive/DMDataFile.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QSet>

namespace {

enum ExistingFileAnswer { Overwrite, Skip, OverwriteAll, Cancel };

struct ExtractJob {
    const DMDataFileEntry* entry;
    QByteArray path;
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
    const std::vector<int> positions = SelectedOrAll();
    if (positions.empty()) {
        m_prompts.Message(QStringLiteral("The archive has no entries to extract."));
        return;
    }
    const QString folder = m_prompts.ChooseFolder(QStringLiteral("Extract to"));
    if (folder.isEmpty())
        return;

    std::vector<ExtractJob> jobs;
    jobs.reserve(positions.size());
    QSet<QString> planned;
    bool overwriteAll = false;
    for (const int position : positions) {
        const DMDataFileEntry* entry = m_pDataFile->GetEntry(static_cast<unsigned>(position));
        if (!entry)
            continue;
        const QString target = QDir(folder).filePath(SafeFileName(EntryDisplayName(entry->GetName())));
        // A second entry of one name would overwrite the first: that is asked like a file that exists.
        if (!overwriteAll && (planned.contains(target) || QFileInfo::exists(target))) {
            const int answer = m_prompts.Choose(
                QStringLiteral("%1 already exists. Overwrite it?").arg(QDir::toNativeSeparators(target)),
                QStringLiteral("Extract"),
                {QStringLiteral("Overwrite"), QStringLiteral("Skip"), QStringLiteral("Overwrite All"),
                 QStringLiteral("Cancel")});
            if (answer == Skip)
                continue;
            if (answer == OverwriteAll)
                overwriteAll = true;
            else if (answer != Overwrite)
                return;
        }
        planned.insert(target);
        jobs.push_back({entry, QFile::encodeName(target)});
    }
    if (jobs.empty())
        return;

    int failed = 0;
    {
        CWaitCapture wait(m_pFileList);
        RunInBackground(QStringLiteral("Extracting entries"), [&](const tomelens::core::ProgressCallback& report) {
            tomelens::core::Progress progress;
            progress.entriesTotal = jobs.size();
            for (const ExtractJob& job : jobs) {
                if (!report(progress))
                    return tomelens::core::Outcome::Cancelled(progress.entriesDone);
                if (job.entry->SaveData(job.path.constData()) != 0)
                    ++failed;
                ++progress.entriesDone;
            }
            return tomelens::core::Outcome::Success(progress.entriesDone);
        });
    }
    if (failed != 0)
        m_prompts.Message(QStringLiteral("%1 of %2 entries could not be written.").arg(failed).arg(jobs.size()));
}

tomelens::core::Outcome DMArchive::RunInBackground(const QString& title, const BackgroundJob& job)
{
    const QScopedValueRollback busy(m_bBusy, true);
    return ::RunInBackground(m_pFileList, title, job);
}
