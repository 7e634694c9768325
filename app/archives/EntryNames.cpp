#include "archives/EntryNames.h"

#include "EntryNameCodec.h"
#include "SafeFileName.h"

#include <QFile>

using namespace tomelens::core;

QString EntryDisplayName(const char* name)
{
    return QString::fromStdU16String(DecodeEntryName(name ? name : ""));
}

std::optional<QByteArray> EntryNameBytes(const QString& name, char32_t* bad)
{
    std::string bytes;
    if (!EncodeEntryName(name.toStdU16String(), bytes, bad))
        return std::nullopt;
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString NameNotStorableMessage()
{
    return QStringLiteral("Entry names can only hold characters of the Windows-1252 set.");
}

QString NameNotStorableMessage(char32_t bad)
{
    return NameNotStorableMessage() + QStringLiteral("\nThe name cannot take %1.")
                                          .arg(QString::fromStdString(DescribeCharacter(bad)));
}

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString SafeFileName(const QString& entryName)
{
    return QString::fromStdString(tomelens::core::SafeFileName(entryName.toStdString()));
}
