#pragma once

#include "archives/TempViewFiles.h"
#include "ArchiveLock.h"
#include "shell/DMTabView.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
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
    DMArchive(QListWidget* fileList, QListWidget* entryList, QLabel* archiveLabel,
              Prompts& prompts, DesktopOpener& opener);
    ~DMArchive() override;

    QString Activate() override;
    QString FindDataFiles();
    QString OpenArchive();

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

    // Read-only state, for the view and for tests.
    bool IsModified() const { return m_bModified; }
    // Changed since it was opened or last saved, a new checksum included (which
    // the modified question on opening another archive leaves out).
    bool HasUnsavedChanges() const { return m_bUnsaved; }
    // Told about every change and every successful save, with HasUnsavedChanges().
    void SetUnsavedObserver(std::function<void(bool)> observer) { m_unsavedObserver = std::move(observer); }
    bool IsArchiveOpen() const { return m_bArchiveOpen; }
    const QString& ArchiveFile() const { return m_archiveFile; }
    const QVector<DMFileDesc>& DataFiles() const { return m_files; }
    const QStringList& TempFiles() const { return m_tempFiles.Files(); }
    DMDataFile* DataFile() const { return m_pDataFile; }

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
    QListWidgetItem* AddEntryLine(const DMDataFileEntry& entry, unsigned position);
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
    // Before writing path: true unless another program changed it since it
    // was opened or saved here and the user does not want it replaced.
    bool MayReplace(const QString& path);

    QListWidget* m_pFileList;
    QListWidget* m_pEntryList;
    QLabel* m_pArchiveLabel;
    Prompts& m_prompts;
    DesktopOpener& m_opener;
    DMDataFile* m_pDataFile;
    QVector<DMFileDesc> m_files;
    TempViewFiles m_tempFiles;
    bool m_bModified = false;
    bool m_bUnsaved = false;
    std::function<void(bool)> m_unsavedObserver;
    // The file as it was right after the last open or save, and its path.
    std::optional<tomelens::core::FileIdentity> m_identity;
    QString m_identityPath;

    // An archive is open after a successful load until the next open starts.
    bool m_bArchiveOpen = false;
    // The file Save writes: the one opened, or the one last chosen in Save As.
    QString m_archiveFile;

    std::function<void(const CDlgProgress&)> m_progressObserver;
};
