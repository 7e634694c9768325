#include "archives/TempViewFiles.h"

#include "archives/EntryNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <climits>
#include <csignal>
#include <unistd.h>
#endif

namespace {

// A view folder is named after the host and process it belongs to, so a later
// start can tell the folders of instances that ended without cleaning up.
const QString kFolderPrefix = QStringLiteral("tomelens-view-");

QString HostTag()
{
    QString host = QSysInfo::machineHostName();
    host.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]")));
    return host.isEmpty() ? QStringLiteral("host") : host;
}

bool ProcessIsGone(qint64 pid)
{
    if (pid <= 0 || pid == QCoreApplication::applicationPid())
        return false;
#ifdef Q_OS_WIN
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
#else
    if (pid > INT_MAX)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#endif
}

bool OwnedByThisUser(const QFileInfo& info)
{
#ifdef Q_OS_WIN
    Q_UNUSED(info);
    return true;  // the temporary folder is the user's own
#else
    return info.ownerId() == ::getuid();
#endif
}

}  // namespace

TempViewFiles::TempViewFiles() = default;

void TempViewFiles::RemoveFoldersOfEndedRuns(const QString& tempRoot)
{
    static const QRegularExpression name(QStringLiteral("^%1(.+)-(\\d+)-[^-]+$").arg(kFolderPrefix));
    const QString host = HostTag();
    const QFileInfoList folders = QDir(tempRoot).entryInfoList({kFolderPrefix + QLatin1Char('*')},
                                                               QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& folder : folders) {
        const QRegularExpressionMatch match = name.match(folder.fileName());
        if (match.hasMatch() && match.captured(1) == host && OwnedByThisUser(folder) &&
            ProcessIsGone(match.captured(2).toLongLong()))
            QDir(folder.filePath()).removeRecursively();
    }
}

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
        m_pPrivateDir = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(
            QStringLiteral("%1%2-%3-XXXXXX").arg(kFolderPrefix, HostTag()).arg(QCoreApplication::applicationPid())));
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
