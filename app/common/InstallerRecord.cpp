#include "common/InstallerRecord.h"

#include <QDir>
#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

namespace {

const QString kAppPathsKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Duskmere.exe");
const QString kPathValue = QStringLiteral("Path");

bool IsHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Removes the escapes Wine writes into registry files: \\ \" \n \t ... \xHHHH \ooo.
// Stops at the closing quote when one is given; pos ends after what was read.
QString Unescape(const QString& text, qsizetype& pos, QChar closing)
{
    QString out;
    while (pos < text.size()) {
        const QChar c = text[pos++];
        if (c == closing)
            return out;
        if (c != u'\\' || pos >= text.size()) {
            out += c;
            continue;
        }
        const QChar e = text[pos++];
        switch (e.unicode()) {
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'a': out += u'\a'; break;
        case 'b': out += u'\b'; break;
        case 'f': out += u'\f'; break;
        case 'v': out += u'\v'; break;
        case 'e': out += QChar(27); break;
        case 'x': {
            uint value = 0;
            int digits = 0;
            while (digits < 4 && pos < text.size() && IsHexDigit(text[pos])) {
                value = value * 16 + QString(text[pos++]).toUInt(nullptr, 16);
                ++digits;
            }
            out += QChar(char16_t(value));
            break;
        }
        default:
            if (e >= u'0' && e <= u'7') {
                uint value = e.unicode() - '0';
                for (int digits = 1; digits < 3 && pos < text.size() && text[pos] >= u'0' &&
                                     text[pos] <= u'7';
                     ++digits)
                    value = value * 8 + (text[pos++].unicode() - '0');
                out += QChar(char16_t(value));
            } else {
                out += e;  // \\ \" \] and anything unknown stand for themselves
            }
        }
    }
    return out;
}

// Finds one path component in a directory, exactly or else ignoring case.
QString FindComponent(const QDir& dir, const QString& name)
{
    if (QFileInfo::exists(dir.filePath(name)))
        return name;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

}  // namespace

namespace wine {

QString PrefixDirectory()
{
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (!prefix.isEmpty())
        return prefix;
    return QDir::home().filePath(QStringLiteral(".wine"));
}

QString ReadRegistryString(const QString& registryFile, const QString& keyPath,
                           const QString& valueName)
{
    // Opened without blocking and only when regular: a FIFO there must not hang us.
    const auto registry = tomelens::core::OpenRegularFile(QFile::encodeName(registryFile).toStdString());
    QFile file;
    if (!registry || !file.open(registry.get(), QIODevice::ReadOnly))
        return QString();
    QTextStream in(&file);
    bool inKey = false;
    const QString wantedName = valueName.isEmpty() ? QStringLiteral("@") : valueName;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(u'[')) {
            qsizetype pos = 1;
            inKey = Unescape(line, pos, u']').compare(keyPath, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inKey)
            continue;
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            name = QStringLiteral("@");
            pos = 1;
        } else if (line.startsWith(u'"')) {
            pos = 1;
            name = Unescape(line, pos, u'"');
        } else {
            continue;
        }
        if (name.compare(wantedName, Qt::CaseInsensitive) != 0 || pos >= line.size() ||
            line[pos] != u'=')
            continue;
        QString data = line.mid(pos + 1);
        // Plain strings and expandable strings are both written as quoted text.
        if (data.startsWith(QStringLiteral("str(2):")))
            data = data.mid(7);
        if (!data.startsWith(u'"'))
            return QString();
        qsizetype valuePos = 1;
        return Unescape(data, valuePos, u'"');
    }
    return QString();
}

QString MapWindowsPath(const QString& prefix, const QString& windowsPath)
{
    if (windowsPath.size() < 2 || !windowsPath[0].isLetter() || windowsPath[1] != u':')
        return QString();
    const QString device = QDir(prefix).filePath(
        QStringLiteral("dosdevices/") + windowsPath.left(2).toLower());
    const QFileInfo deviceInfo(device);
    if (!deviceInfo.isDir())
        return QString();
    QDir dir(deviceInfo.canonicalFilePath());
    const QStringList parts = windowsPath.mid(2).split(u'\\', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString found = FindComponent(dir, part);
        if (found.isEmpty() || !dir.cd(found))
            return QString();
    }
    return dir.canonicalPath();
}

}  // namespace wine

QString ReadInstallerRecord()
{
#ifdef Q_OS_WIN
    QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\") + kAppPathsKey, QSettings::NativeFormat);
    QString path = key.value(kPathValue).toString();
    // The value ends at its first NUL, as the installer wrote it.
    const qsizetype nul = path.indexOf(QChar(0));
    if (nul >= 0)
        path.truncate(nul);
    return path;
#else
    const QString prefix = wine::PrefixDirectory();
    QString windowsPath = wine::ReadRegistryString(
        QDir(prefix).filePath(QStringLiteral("system.reg")), kAppPathsKey, kPathValue);
    const qsizetype nul = windowsPath.indexOf(QChar(0));
    if (nul >= 0)
        windowsPath.truncate(nul);
    if (windowsPath.isEmpty())
        return QString();
    return wine::MapWindowsPath(prefix, windowsPath);
#endif
}
