#include "archives/EntryNames.h"

#include "EntryNameCodec.h"

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

namespace {

bool IsUnfitForFileName(QChar c)
{
    static const QString kReserved = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() < 0x20 || c.unicode() == 0x7F || kReserved.contains(c);
}

// Keeps names within one path component on every file system we run on.
constexpr qsizetype kMaxEncodedLength = 200;
constexpr qsizetype kKeptStem = 60;
constexpr qsizetype kMaxKeptSuffix = 16;

QString Shortened(const QString& name)
{
    if (QFile::encodeName(name).size() <= kMaxEncodedLength)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool keepSuffix = dot > 0 && name.size() - dot <= kMaxKeptSuffix;
    const QString suffix = keepSuffix ? name.mid(dot) : QString();
    const QString stem = keepSuffix ? name.left(dot) : name;
    return stem.left(kKeptStem) + suffix;
}

}  // namespace

QString SafeFileName(const QString& entryName)
{
    QString safe;
    safe.reserve(entryName.size());
    for (const QChar c : entryName)
        safe.append(IsUnfitForFileName(c) ? QLatin1Char('_') : c);
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        safe.prepend(QLatin1Char('_'));
    return Shortened(safe);
}
