#include "common/QtDesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool QtDesktopOpener::Open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
