#include "common/GameDirectory.h"

#include "common/InstallerRecord.h"
#include "common/Settings.h"

#include <QDir>

namespace {
const QString kDMPathKey = QStringLiteral("DM Path");
}

QString GetDMPath()
{
    // Read afresh on every call, so a new choice counts at the next load.
    const std::unique_ptr<QSettings> settings = OpenSettings();
    const QString stored = settings ? settings->value(kDMPathKey).toString() : QString();
    if (!stored.isEmpty())
        return stored;
    // The installer's record is only a fallback for this call; never stored.
    return ReadInstallerRecord();
}

void SetDMPath(const QString& directory)
{
    auto settings = OpenSettings();
    if (!settings)
        return;
    settings->setValue(kDMPathKey, directory);
    settings->sync();
}

QString DirectoryOfChosenFile(const QString& filePath)
{
    const QString native = QDir::toNativeSeparators(filePath);
    const qsizetype cut = native.lastIndexOf(QDir::separator());
    if (cut < 0)
        return QString();
    // A file right under the Unix root keeps the root itself; "C:\x" gives "C:".
    if (cut == 0)
        return QString(QDir::separator());
    return native.left(cut);
}
