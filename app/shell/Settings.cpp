#include "shell/Settings.h"

#include <QtGlobal>

std::unique_ptr<QSettings> OpenSettings()
{
    const QString file = qEnvironmentVariable(kSettingsEnvironmentVariable);
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tomelens"), QStringLiteral("Tomelens"));
}
