#pragma once

#include <QString>
#include <QHash>
#include <QStringList>

#include <memory>

class QTemporaryDir;

// The temporary files written to view entries. They live in a directory
// private to this run (made on first use) under names that cannot leave it,
// and are deleted, last first, when this object goes.
class TempViewFiles {
public:
    TempViewFiles();
    ~TempViewFiles();
    TempViewFiles(const TempViewFiles&) = delete;
    TempViewFiles& operator=(const TempViewFiles&) = delete;

    // Removes the view folders that runs of this program on this host left in
    // tempRoot when they ended without cleaning up (killed, or a crash).
    static void RemoveFoldersOfEndedRuns(const QString& tempRoot);

    // Uses an existing directory instead of a private one (tests).
    void SetDirectory(const QString& directory);

    // Where an entry of this name is viewed; empty when no directory is usable.
    // The same owner (one entry of one archive) always gets the same path;
    // another owner of an equal name gets a path of its own ("name (2).ext").
    QString PathFor(const QString& entryName, const QString& owner);

    // Keeps a path for deletion at the end; a path recorded twice is kept twice.
    void Record(const QString& path) { m_files.append(path); }
    const QStringList& Files() const { return m_files; }

private:
    QString Directory();

    std::unique_ptr<QTemporaryDir> m_pPrivateDir;
    QString m_directory;
    QStringList m_files;
    QHash<QString, QString> m_ownerOfPath;
};
