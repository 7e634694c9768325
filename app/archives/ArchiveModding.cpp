// The modder's loop in the window: compare the open archive with another,
// unpack a data file into a folder, and pack a folder back into an archive.
// The work is core's (unpack, pack, diff); this asks, runs it on a worker
// thread with progress and Cancel, and reports.
#include "archives/DMArchive.h"

#include "archives/EntryListPanel.h"
#include "archives/EntryTableModel.h"
#include "archive/DMDataFile.h"
#include "common/Prompts.h"
#include "common/SortedLists.h"
#include "common/WaitCapture.h"
#include "engine/EntryNames.h"
#include "modding/Diff.h"
#include "modding/Pack.h"
#include "modding/Unpack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

using namespace tomelens::core;

namespace {

QString Local(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

QString NameText(const std::string& name)
{
    return QString::fromStdString(ShownName(name));
}

// At most this many names in one message; the rest are counted.
constexpr std::size_t kNamesShown = 15;

QString NameLines(const std::vector<std::string>& names)
{
    QString text;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        text += QStringLiteral("\n  ") + NameText(names[i]);
    if (names.size() > kNamesShown)
        text += QStringLiteral("\n  ... and %1 more").arg(names.size() - kNamesShown);
    return text;
}

}  // namespace

QString DMArchive::SelectedDataFilePath() const
{
    const std::optional<int> datum = SelectedDatum(m_pFileList);
    if (!datum || *datum < 0 || *datum >= m_files.size())
        return {};
    return m_files[*datum].path;
}

void DMArchive::CompareWith()
{
    if (m_bBusy)
        return;
    if (!m_bArchiveOpen) {
        m_prompts.Message(QStringLiteral("Please select archive first."));
        return;
    }
    const QString other = m_prompts.OpenFile(QString());
    if (other.isEmpty())
        return;
    std::vector<EntryDifference> differences;
    const std::string mine = QFile::encodeName(m_archiveFile).toStdString();
    const std::string theirs = QFile::encodeName(other).toStdString();
    Outcome outcome;
    {
        CWaitCapture wait(m_pFileList);
        outcome = RunInBackground(QStringLiteral("Comparing archives"), [&](const ProgressCallback& report) {
            return DiffArchives(mine, theirs, differences, report);
        });
    }
    if (!outcome.Ok()) {
        if (!outcome.WasCancelled())
            m_prompts.Message(QStringLiteral("Cannot compare the archives:\n") + Local(outcome.Message()));
        return;
    }
    std::vector<EntryTableModel::Mark> marks(m_pDataFile->GetNumEntries(), EntryTableModel::Mark::None);
    std::vector<std::string> missing;
    std::size_t newCount = 0, changedCount = 0;
    for (const EntryDifference& d : differences) {
        if (d.kind == EntryDifference::Kind::OnlyInB) {
            missing.push_back(d.name);
            continue;
        }
        if (d.positionA >= marks.size())
            continue;
        const bool isNew = d.kind == EntryDifference::Kind::OnlyInA;
        marks[d.positionA] = isNew ? EntryTableModel::Mark::New : EntryTableModel::Mark::Changed;
        ++(isNew ? newCount : changedCount);
    }
    const bool anyMarked = newCount + changedCount > 0;
    m_pEntryList->Model().SetMarks(anyMarked ? std::move(marks) : std::vector<EntryTableModel::Mark>(), anyMarked);
    m_pEntryList->SummaryText();

    const QString otherName = QFileInfo(other).fileName();
    QString text = differences.empty()
                       ? QStringLiteral("The archive holds the same entries as %1.").arg(otherName)
                       : QStringLiteral("Compared with %1: %2 new here, %3 changed, %4 missing here.%5")
                             .arg(otherName)
                             .arg(newCount)
                             .arg(changedCount)
                             .arg(missing.size())
                             .arg(anyMarked ? QStringLiteral("\nThe entry list shows only the new and changed "
                                                             "entries; \"Show All Entries\" in its context menu "
                                                             "shows the rest.")
                                            : QString());
    if (!missing.empty())
        text += QStringLiteral("\n\nMissing here (only in %1):").arg(otherName) + NameLines(missing);
    if (m_bUnsaved)
        text += QStringLiteral("\n\nThe archive's file was compared as last saved, without the changes made since.");
    m_prompts.Message(text, QStringLiteral("Compare With"));
}

void DMArchive::ShowOnlyDifferences(bool only)
{
    EntryTableModel& model = m_pEntryList->Model();
    if (!model.HasMarks())
        return;
    std::vector<EntryTableModel::Mark> marks;
    for (unsigned position = 0; position < m_pDataFile->GetNumEntries(); ++position)
        marks.push_back(model.MarkOf(static_cast<int>(position)));
    model.SetMarks(std::move(marks), only);
    m_pEntryList->SummaryText();
}

void DMArchive::UnpackTo()
{
    if (m_bBusy)
        return;
    const QString archive = SelectedDataFilePath();
    if (archive.isEmpty()) {
        m_prompts.Message(QStringLiteral("Please select the data file to unpack first."));
        return;
    }
    const QString folder = m_prompts.ChooseFolder(QStringLiteral("Unpack to (a new or empty folder)"));
    if (folder.isEmpty())
        return;
    Outcome outcome;
    {
        CWaitCapture wait(m_pFileList);
        outcome = RunInBackground(QStringLiteral("Unpacking"), [&](const ProgressCallback& report) {
            return Unpack(QFile::encodeName(archive).toStdString(), QFile::encodeName(folder).toStdString(), report);
        });
    }
    if (outcome.WasCancelled()) {
        m_prompts.Message(QStringLiteral("Unpacking was cancelled; %1 files were written to %2.")
                              .arg(outcome.done)
                              .arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!outcome.Ok()) {
        m_prompts.Message(QStringLiteral("Cannot unpack the data file:\n") + Local(outcome.Message()));
        return;
    }
    m_prompts.Message(QStringLiteral("%1 entries were unpacked to %2.\nEdit the files there, then use "
                                     "\"Pack From Folder...\" to make an archive of them again.")
                          .arg(outcome.done)
                          .arg(QDir::toNativeSeparators(folder)),
                      QStringLiteral("Unpack To"));
}

void DMArchive::PackFromFolder()
{
    if (m_bBusy)
        return;
    const QString folder = m_prompts.ChooseFolder(QStringLiteral("Pack from folder"));
    if (folder.isEmpty())
        return;
    const QString target = m_prompts.SaveFile(QFileInfo(folder).fileName() + QStringLiteral(".pak"), QStringLiteral("pak"));
    if (target.isEmpty())
        return;
    if (m_bArchiveOpen && QFileInfo(target) == QFileInfo(m_archiveFile)) {
        m_prompts.Message(QStringLiteral("The archive open here reads from that file. Open another data file "
                                         "first, or pack to another file."));
        return;
    }
    PackReport report;
    Outcome outcome;
    {
        CWaitCapture wait(m_pFileList);
        outcome = RunInBackground(QStringLiteral("Packing"), [&](const ProgressCallback& progress) {
            return Pack(QFile::encodeName(folder).toStdString(), QFile::encodeName(target).toStdString(), {},
                        report, progress);
        });
    }
    if (outcome.WasCancelled())
        return;
    if (!outcome.Ok()) {
        m_prompts.Message(QStringLiteral("Cannot pack the folder; nothing was written:\n") + Local(outcome.Message()));
        return;
    }
    QString text = report.usedManifest
                       ? QStringLiteral("%1 was written: %2 entries kept, %3 changed, %4 added, %5 removed.")
                             .arg(QDir::toNativeSeparators(target))
                             .arg(report.kept)
                             .arg(report.changed)
                             .arg(report.added)
                             .arg(report.removed)
                       : QStringLiteral("%1 was written with %2 entries (the folder has no unpack manifest).")
                             .arg(QDir::toNativeSeparators(target))
                             .arg(report.added);
    if (!report.disagreeing.empty()) {
        std::vector<std::string> names;
        for (const StaleCheckSum& stale : report.disagreeing)
            names.push_back(stale.name);
        text += QStringLiteral("\n\nThese changed entries keep their stored checksum, which no longer matches "
                               "their data (Update CRC sets it):") +
                NameLines(names);
    }
    m_prompts.Message(text, QStringLiteral("Pack From Folder"));
    FindDataFiles();
}
