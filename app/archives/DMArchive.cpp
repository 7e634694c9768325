#include "archives/DMArchive.h"

#include "common/CDlgProgress.h"
#include "archives/DataFileCandidates.h"
#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/EntryTableModel.h"
#include "common/SortedLists.h"
#include "archives/HoverPreview.h"
#include "archives/ViewWatcher.h"
#include "archive/DMDataFile.h"
#include "resources/ResourceIds.h"
#include "common/DesktopOpener.h"
#include "common/GameDirectory.h"
#include "common/Prompts.h"
#include "common/WaitCapture.h"
#include "ProgramFacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QApplication>
#include <QListWidget>

#include <algorithm>

using namespace tomelens::core;

DMArchive::DMArchive(QListWidget* fileList, EntryListPanel* entryList, QLabel* archiveLabel,
                     Prompts& prompts, DesktopOpener& opener)
    : DMTabView(ids::MenuArchives),
      m_pFileList(fileList),
      m_pEntryList(entryList),
      m_pArchiveLabel(archiveLabel),
      m_prompts(prompts),
      m_opener(opener),
      m_pDataFile(NewDataFile()),
      m_pWatcher(std::make_unique<ViewWatcher>(
          [this](const QString& path, int position) { OfferViewedFileBack(path, position); },
          [this] { return !m_bBusy && !QApplication::activeModalWidget() && !QApplication::activePopupWidget(); })),
      m_pHoverPreview(std::make_unique<HoverPreview>())
{
    m_pFileList->setSortingEnabled(true);
}

DMArchive::~DMArchive()
{
    m_pWatcher->Clear();
    m_pConnections.reset();
    m_pEntryList->View()->filesForDrag = nullptr;
    m_pEntryList->View()->toolTipFor = nullptr;
    // The container goes first; the viewed files are deleted by m_tempFiles after this.
    m_source.Stop();
    m_pDataFile.reset();
}

QString DMArchive::Activate()
{
    if (m_bInitialized)
        return {};
    m_bInitialized = true;
    return FindDataFiles();
}

QString DMArchive::FindDataFiles()
{
    return SearchDataFiles(true);
}

QString DMArchive::RefreshDataFiles()
{
    const QString tip = SearchDataFiles(false);
    HighlightOpenArchive();
    return tip;
}

QString DMArchive::SearchDataFiles(bool emptyEntryList)
{
    // An empty game directory searches the root, as a bare "*.*" pattern would.
    QString directory = GetDMPath();
    if (directory.isEmpty())
        directory = QDir::rootPath();

    CWaitCapture wait(m_pFileList);
    m_pFileList->setUpdatesEnabled(false);
    m_pFileList->clear();
    m_files.clear();

    // Every item of the directory is a candidate, "." and ".." included; the
    // archive test below drops whatever is not a data file.
    const QFileInfoList found = QDir(directory).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QFileInfo& info : found)
        m_files.append(DMFileDesc{info.fileName(), info.filePath()});

    QString tip;
    {
        CDlgProgress progress(static_cast<int>(m_files.size()), QStringLiteral("Looking for DM Data files"));
        if (m_progressObserver)
            m_progressObserver(progress);
        for (qsizetype i = m_files.size() - 1; i >= 0; --i) {
            if (!IsDataFileCandidate(m_files[i].path, m_files[i].name) ||
                m_pDataFile->CheckFile(QFile::encodeName(m_files[i].path).constData()) != 0)
                m_files.removeAt(i);
            progress.Step();
            if (m_progressObserver)
                m_progressObserver(progress);
        }

        {
            BulkFill fill(m_pFileList);
            for (qsizetype i = m_files.size() - 1; i >= 0; --i)
                AddLine(m_pFileList, m_files[i].name, static_cast<int>(i));
        }

        if (m_files.isEmpty()) {
            AddLine(m_pFileList, QStringLiteral("No data files found!"), -1);
            tip = QStringLiteral("Go to menu item: \"File\"->\"Duskmere Directory...\" "
                                 "and select any file in Duskmere directory");
        } else {
            tip = QStringLiteral("DblClick on any file in the left list to see its content.");
        }

        if (emptyEntryList)
            m_pEntryList->Model().Clear();
        m_pFileList->setUpdatesEnabled(true);
    }
    return tip;
}

QString DMArchive::OpenArchive()
{
    const std::optional<int> datum = SelectedDatum(m_pFileList);
    if (!datum || *datum < 0 || *datum >= m_files.size())
        return {};
    return OpenArchiveFile(m_files[*datum].path);
}

QString DMArchive::OpenArchiveFile(const QString& path)
{
    if (m_bBusy)
        return {};
    if (m_bModified &&
        !m_prompts.Question(QStringLiteral("Current archive was modified.\nDo you want to skip changes?"),
                            QStringLiteral("Skip Changes?"))) {
        // The click moved the highlight; the archive still open keeps it.
        HighlightOpenArchive();
        return {};
    }

    ClearChanges();
    CloseArchive();
    ShowTarget(false);
    CWaitCapture wait(m_pFileList);

    if (m_pDataFile->LoadIndex(QFile::encodeName(path).constData()) != 0) {
        m_pEntryList->Model().SetPlaceholder(QStringLiteral("Corruped data file"));
        return QStringLiteral("Hmm this file looks to be not in right format. "
                              "Please EMail me details about it: ") +
               QString::fromLatin1(kMakerContact);
    }

    m_pEntryList->Model().Fill(*m_pDataFile);
    m_bArchiveOpen = true;
    m_archiveFile = path;
    ShowTarget(false);
    RememberIdentity(path);
    m_source.Start(*m_pDataFile, LocalPath(path));
    return QStringLiteral("Now you can DblClick on any file in rigth list to view. "
                          "Also use \"Archive\" menu commands to modify it.");
}

void DMArchive::HighlightOpenArchive()
{
    m_pFileList->setCurrentItem(nullptr);
    if (!m_bArchiveOpen)
        return;
    const QFileInfo open(m_archiveFile);
    for (int row = 0; row < m_pFileList->count(); ++row) {
        const int datum = m_pFileList->item(row)->data(Qt::UserRole).toInt();
        if (datum >= 0 && datum < m_files.size() && QFileInfo(m_files[datum].path) == open) {
            m_pFileList->setCurrentRow(row);
            return;
        }
    }
}

void DMArchive::ShowTarget(bool savedAs)
{
    if (m_bArchiveOpen)
        m_pArchiveLabel->setText(m_archiveFile);
    if (m_targetObserver)
        m_targetObserver(savedAs ? m_archiveFile : QString());
}

void DMArchive::CloseArchive()
{
    m_bArchiveOpen = false;
    m_source.Stop();
    m_pWatcher->Clear();
    m_pEntryList->Model().Clear();
}

DMDataFileEntry* DMArchive::SelectedEntry(unsigned* position) const
{
    const std::optional<int> datum = m_pEntryList->CommandPosition();
    if (!datum || *datum < 0 || static_cast<unsigned>(*datum) >= m_pDataFile->GetNumEntries())
        return nullptr;
    if (position)
        *position = static_cast<unsigned>(*datum);
    return m_pDataFile->GetEntry(static_cast<unsigned>(*datum));
}

DMDataFileEntry* DMArchive::EntryForCommand(const char* action, unsigned* position)
{
    if (!m_bArchiveOpen) {
        m_prompts.Message(QStringLiteral("Please select archive and entry first."));
        return nullptr;
    }
    DMDataFileEntry* entry = SelectedEntry(position);
    if (!entry)
        m_prompts.Message(QStringLiteral("Please select entry to %1 first.").arg(QLatin1String(action)));
    return entry;
}

void DMArchive::AddEntryLine(const DMDataFileEntry& entry, unsigned position)
{
    m_pEntryList->Model().Add(entry, static_cast<int>(position));
}

void DMArchive::ShowFailure(const QString& firstLine, const Outcome& outcome)
{
    const QString detail = QString::fromStdString(outcome.Message());
    if (detail.isEmpty())
        m_prompts.Message(firstLine);
    else
        m_prompts.Message(firstLine.endsWith(QLatin1Char('\n')) ? firstLine + detail : firstLine + QLatin1Char('\n') + detail);
}

bool DMArchive::SourceUnchanged(const QString& firstLine)
{
    const Outcome unchanged = m_source.Check();
    if (unchanged.Ok())
        return true;
    ShowFailure(firstLine, unchanged);
    return false;
}

std::vector<int> DMArchive::SelectedOrAll() const
{
    std::vector<int> positions = m_pEntryList->SelectedPositions();
    if (!positions.empty())
        return positions;
    return m_pEntryList->Model().ListedPositions();
}
