#include "archives/TempViewFiles.h"

#include "archives/EntryNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

TempViewFiles::TempViewFiles() = default;

TempViewFiles::~TempViewFiles()
{
    // Failures are of no interest: a path viewed twice is simply gone already.
    for (auto it = m_files.crbegin(); it != m_files.crend(); ++it)
        QFile::remove(*it);
}

void TempViewFiles::SetDirectory(const QString& directory)
{
    m_directory = directory;
}

QString TempViewFiles::Directory()
{
    if (!m_directory.isEmpty())
        return m_directory;
    if (!m_pPrivateDir) {
        m_pPrivateDir = std::make_unique<QTemporaryDir>();
        if (!m_pPrivateDir->isValid())
            return {};
    }
    return m_pPrivateDir->isValid() ? m_pPrivateDir->path() : QString();
}

QString TempViewFiles::PathFor(const QString& entryName, const QString& owner)
{
    const QString directory = Directory();
    if (directory.isEmpty())
        return {};
    const QString safe = SafeFileName(entryName);
    QString path = QDir(directory).filePath(safe);
    // Numbered variants keep the extension, so the desktop still picks the
    // program by it.
    const qsizetype dot = safe.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? safe.left(dot) : safe;
    const QString suffix = dot > 0 ? safe.mid(dot) : QString();
    for (int n = 2; m_ownerOfPath.contains(path) && m_ownerOfPath.value(path) != owner; ++n)
        path = QDir(directory).filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
    m_ownerOfPath.insert(path, owner);
    // A safe name has no separator, so the file's parent is the directory itself.
    if (QFileInfo(path).absolutePath() != QFileInfo(directory).absoluteFilePath())
        return {};
    return path;
}
