// Test Archive: the engine checks a data file's structure, every entry's data
// and its stored checksum; this shows what it found.
#include "archives/DMArchive.h"

#include "archives/EntryNames.h"
#include "archives/ProblemList.h"
#include "common/Prompts.h"
#include "common/SortedLists.h"
#include "common/WaitCapture.h"
#include "engine/VerifyArchive.h"

#include <QFileInfo>
#include <QListWidget>

using namespace tomelens::core;

void DMArchive::TestArchive()
{
    if (m_bBusy)
        return;
    const std::optional<int> datum = SelectedDatum(m_pFileList);
    if (!datum || *datum < 0 || *datum >= m_files.size()) {
        m_prompts.Message(QStringLiteral("Please select archive first."));
        return;
    }
    const DMFileDesc file = m_files[*datum];
    VerifyReport report;
    Outcome outcome;
    {
        CWaitCapture wait(m_pFileList);
        outcome = RunInBackground(QStringLiteral("Testing %1").arg(file.name), [&](const ProgressCallback& progress) {
            report = VerifyArchive(LocalPath(file.path), true, progress);
            return report.outcome;
        });
    }
    if (outcome.WasCancelled())
        return;

    QString text;
    if (outcome.Ok()) {
        text = QStringLiteral("%1: no errors in %2 entries.").arg(file.name).arg(report.entries);
    } else {
        text = QStringLiteral("%1 is damaged.\n").arg(file.name) +
               (report.failures.empty() ? QString::fromStdString(outcome.Message()) : ProblemList(report.failures));
    }
    if (!report.warnings.empty())
        text += QStringLiteral("\n\nStored checksums that differ from the data (the game may not mind):\n") +
                ProblemList(report.warnings);
    m_prompts.Message(text, QStringLiteral("Test Archive"));
}
