#pragma once

#include "archives/TempViewFiles.h"
#include "ArchiveLock.h"
#include "common/BackgroundWork.h"
#include "common/DMTabView.h"
#include "engine/AddFiles.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveWatch.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QMenu;
class QPoint;
class QWidget;
class EntryListPanel;
class ViewWatcher;
class HoverPreview;
class Prompts;
class DesktopOpener;
class DMDataFile;
class DMDataFileEntry;
class CDlgProgress;

// One data file found in the game directory.
struct DMFileDesc {
    QString name;  // file name without directory
    QString path;  // full path
};

// Controller of the Archives tab: finds the game's archives, opens one into the
// library's container, lists its entries and carries out the Archive menu and
// the Save commands.
class DMArchive : public DMTabView {
public:
    DMArchive(QListWidget* fileList, EntryListPanel* entryList, QLabel* archiveLabel,
              Prompts& prompts, DesktopOpener& opener);
    ~DMArchive() override;

    QString Activate() override;
    QString FindDataFiles();
    // The data-file list's Refresh: discovery again, with the open archive and
    // its entry list left as they are and its file highlighted.
    QString RefreshDataFiles();
    QString OpenArchive();
    // Opens an archive file by its path, wherever it lies (the command line,
    // New Archive); asks first when the open archive has changes.
    QString OpenArchiveFile(const QString& path);

    QString ViewEntry();
    // A view whose launch failed after ViewEntry had handed the file over:
    // tells the user and gives the tip. The file stays recorded for deletion.
    QString ViewLaunchFailed(bool openerMissing);
    void SaveEntryData();
    void LoadEntryData();

    void NewEntry();
    void AddFileEntry();
    void DeleteEntry();
    void RenameEntry();
    void UpdateEntryCRC();

    void SaveArchive();
    void SaveArchiveAs();
    // True when the file was written.
    bool WriteArchive(const QString& path);
    // Closing with Save: writes to the archive's own file without the
    // override question; true when it was written.
    bool SaveBeforeClosing();

    // Commands of the context menus, the keyboard and drag and drop.
    void ExtractEntries();
    void NewArchive();
    void ShowProperties();
    // Add Files... and Add Folder... of the entry list's menu.
    void AddFilesEntries();
    void AddFolderEntries();
    // Adds files, and folders with everything below them, as entries named
    // after them (below a folder: "sub/name"), asking what to do about names
    // the archive has already.
    void AddFiles(const QStringList& paths);
    // Test Archive of the data-file list's menu: checks the selected data file
    // and every entry's data and checksum, and shows what was found.
    void TestArchive();
    // Writes the entries at these positions to files named after them, for a drag out.
    QStringList FilesForDrag(const std::vector<int>& positions);
    // The hover text of an entry: size, checksum and a glimpse of its content.
    QString EntryToolTip(int position);
    // A viewed file was changed by another program: offers to take it back.
    void OfferViewedFileBack(const QString& path, int position);

    // Connects the keys, context menus, drops, drags and hover of both lists;
    // tips of commands reached that way go to setTip.
    void ConnectControls(std::function<void(const QString&)> setTip);
    void ShowEntryMenu(const QPoint& at);
    void ShowFileMenu(const QPoint& at);
    // The two context menus, built for the caller to show (and delete).
    QMenu* MakeEntryMenu(QWidget* parent);
    QMenu* MakeFileMenu(QWidget* parent);
    // True while a save or extract runs; nothing else may start then.
    bool IsBusy() const { return m_bBusy; }

    // Read-only state, for the view and for tests.
    bool IsModified() const { return m_bModified; }
    // Changed since it was opened or last saved, a new checksum included (which
    // the modified question on opening another archive leaves out).
    bool HasUnsavedChanges() const { return m_bUnsaved; }
    // Told about every change and every successful save, with HasUnsavedChanges().
    void SetUnsavedObserver(std::function<void(bool)> observer) { m_unsavedObserver = std::move(observer); }
    // Told the file Save writes once Save As chose it, and an empty path when
    // an archive is opened (its own file is then the one opened).
    void SetTargetObserver(std::function<void(const QString&)> observer) { m_targetObserver = std::move(observer); }
    bool IsArchiveOpen() const { return m_bArchiveOpen; }
    const QString& ArchiveFile() const { return m_archiveFile; }
    const QVector<DMFileDesc>& DataFiles() const { return m_files; }
    const QStringList& TempFiles() const { return m_tempFiles.Files(); }
    EntryListPanel* EntryList() const { return m_pEntryList; }
    ViewWatcher& Watcher() const { return *m_pWatcher; }
    HoverPreview& Preview() const { return *m_pHoverPreview; }
    DMDataFile* DataFile() const { return m_pDataFile.get(); }

    // Test seams: view entries into this existing directory instead of a
    // private temporary one; watch the discovery progress window when it opens
    // and after each step.
    void SetTempDirectory(const QString& directory) { m_tempFiles.SetDirectory(directory); }
    void SetProgressObserver(std::function<void(const CDlgProgress&)> observer)
    {
        m_progressObserver = std::move(observer);
    }

private:
    // The entry of the selected line of list 1001 when its datum is a valid
    // position; null otherwise.
    DMDataFileEntry* SelectedEntry(unsigned* position = nullptr) const;
    // The selected entry for a command that acts on one; null, after telling
    // the user what is missing, when no archive is open or no entry selected.
    // action names the command in "Please select entry to <action> first."
    DMDataFileEntry* EntryForCommand(const char* action, unsigned* position = nullptr);
    void AddEntryLine(const DMDataFileEntry& entry, unsigned position);
    QString SearchDataFiles(bool emptyEntryList);
    // Selects the open archive's line in list 1000, or no line without one.
    void HighlightOpenArchive();
    // Shows the archive's own file in the current-archive line and tells the
    // target observer (savedAs: chosen by Save As).
    void ShowTarget(bool savedAs);
    // Ends the open archive: nothing listed, no viewed file watched.
    void CloseArchive();
    // The positions selected in list 1001, or every listed one when none is.
    std::vector<int> SelectedOrAll() const;
    // Gathers the files to add (on the worker thread), adds them with the
    // existing-name rule and lists what was added; failureText heads a failure.
    using CollectSources = std::function<tomelens::core::Outcome(std::vector<tomelens::core::AddSource>&)>;
    void AddSources(const CollectSources& collect, tomelens::core::ExistingName existing, const QString& failureText);
    // The question for a name the archive already has, on the window's thread.
    tomelens::core::NameAnswer AskExistingName(std::string_view name);
    // Tells the user: the fixed first line, then the file or entry and the cause.
    void ShowFailure(const QString& firstLine, const tomelens::core::Outcome& outcome);
    // False, after telling the user under firstLine, when the file the open
    // archive reads its entries from was rewritten in place since it was opened.
    bool SourceUnchanged(const QString& firstLine);
    // Runs work on a worker thread while the window repaints; see BackgroundWork.h.
    tomelens::core::Outcome RunInBackground(const QString& title, const BackgroundJob& job);
    // Adds an empty entry to the container; null (after telling the user) when none was made.
    DMDataFileEntry* CreateEntry(unsigned& position);
    // A change to the open archive; asksOnOpen: it also counts for the
    // modified question when another archive is opened.
    void MarkChanged(bool asksOnOpen);
    // Nothing unsaved: after a successful save, or when another archive is opened.
    void ClearChanges();
    // Remembers what the file at path is now, to notice another program's
    // change before Save replaces it.
    void RememberIdentity(const QString& path);
    // Before writing path: Replace unless another program changed it since
    // it was opened or saved here; then the user decides whether to replace
    // it, keep it, or reload it and drop the changes made here.
    enum class ReplaceAnswer { Replace, Keep, Reload };
    ReplaceAnswer MayReplace(const QString& path);
    // Opens path again as it is now, after asking when changes would be lost.
    void ReloadArchive(const QString& path);

    QListWidget* m_pFileList;
    EntryListPanel* m_pEntryList;
    QLabel* m_pArchiveLabel;
    Prompts& m_prompts;
    DesktopOpener& m_opener;
    tomelens::core::DataFilePtr m_pDataFile;
    QVector<DMFileDesc> m_files;
    TempViewFiles m_tempFiles;
    bool m_bModified = false;
    bool m_bUnsaved = false;
    std::function<void(bool)> m_unsavedObserver;
    std::function<void(const QString&)> m_targetObserver;
    // The file as it was right after the last open or save, and its path.
    std::optional<tomelens::core::FileIdentity> m_identity;
    QString m_identityPath;
    // The file the open archive reads its entries from, as it was when opened.
    tomelens::core::ArchiveWatch m_source;

    // An archive is open after a successful load until the next open starts.
    bool m_bArchiveOpen = false;
    // The file Save writes: the one opened, or the one last chosen in Save As.
    QString m_archiveFile;

    std::function<void(const CDlgProgress&)> m_progressObserver;
    std::function<void(const QString&)> m_setTip;
    std::unique_ptr<ViewWatcher> m_pWatcher;
    std::unique_ptr<HoverPreview> m_pHoverPreview;
    // Receiver of the controls' connections: they end with this controller.
    std::unique_ptr<QObject> m_pConnections;
    bool m_bBusy = false;
};
