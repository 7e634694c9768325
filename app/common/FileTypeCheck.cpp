#include "common/FileTypeCheck.h"

#include <QFileInfo>

bool IsRegularFileOrAbsent(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}
