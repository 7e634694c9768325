#include "common/Settings.h"

#include "common/FileTypeCheck.h"

#include <QStandardPaths>
#include <QtGlobal>

namespace {

// The file QSettings would read for the per-user store; empty where that
// store is not a file (the registry).
QString DefaultSettingsFile()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tomelens/Tomelens.conf");
#else
    return QString();
#endif
}

}  // namespace

std::unique_ptr<QSettings> OpenSettings()
{
    // QSettings reads its file as soon as it is made: a FIFO or device in its
    // place would hang start-up, so such a store counts as unreadable.
    const QString file = qEnvironmentVariable(kSettingsEnvironmentVariable);
    if (!file.isEmpty()) {
        if (!IsRegularFileOrAbsent(file))
            return nullptr;
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    const QString defaultFile = DefaultSettingsFile();
    if (!defaultFile.isEmpty() && !IsRegularFileOrAbsent(defaultFile))
        return nullptr;
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tomelens"), QStringLiteral("Tomelens"));
}
