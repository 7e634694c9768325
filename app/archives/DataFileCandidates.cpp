#include "archives/DataFileCandidates.h"

#include "archive/DMSaveTemp.h"

#include <QFile>
#include <QFileInfo>

bool IsDataFileCandidate(const QString& path, const QString& name)
{
    return QFileInfo(path).isFile() && DMIsSaveTempName(QFile::encodeName(name).constData()) == 0;
}
