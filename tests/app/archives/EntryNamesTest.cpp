#include "archives/EntryNames.h"
#include "archives/TempViewFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(EntryNameText, EveryByteRoundTripsThroughLatin1)
{
    QByteArray all;
    for (int byte = 1; byte < 256; ++byte)
        all.append(static_cast<char>(byte));
    const QString shown = EntryDisplayName(all.constData());
    EXPECT_EQ(shown.size(), 255);
    EXPECT_EQ(shown.at(0xE8), QChar(0xE9));  // é stays one character
    const std::optional<QByteArray> back = EntryNameBytes(shown);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(EntryNameText, RefusesCharactersBeyondOneByteAndNul)
{
    EXPECT_FALSE(EntryNameBytes(QStringLiteral("price\u20AC.txt")).has_value());
    EXPECT_FALSE(EntryNameBytes(QStringLiteral("\u65E5\u672C")).has_value());
    EXPECT_FALSE(EntryNameBytes(QString(QChar(0)) + QStringLiteral("x")).has_value());
    EXPECT_EQ(EntryNameBytes(QString()).value(), QByteArray());
    EXPECT_EQ(EntryNameBytes(QStringLiteral("na\u00EFve")).value(), QByteArray("na\xEFve"));
}

TEST(SafeFileNames, NeverHoldSeparatorsOrDotNames)
{
    for (const QString& hostile : {QStringLiteral("../../escape"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                                   QStringLiteral("/abs"), QStringLiteral("c:evil"), QStringLiteral("tab\there")}) {
        const QString safe = SafeFileName(hostile);
        EXPECT_FALSE(safe.contains(QLatin1Char('/'))) << safe.toStdString();
        EXPECT_FALSE(safe.contains(QLatin1Char('\\'))) << safe.toStdString();
        EXPECT_FALSE(safe.contains(QLatin1Char(':'))) << safe.toStdString();
        EXPECT_FALSE(safe.contains(QLatin1Char('\t'))) << safe.toStdString();
    }
    for (const QString& dotName : {QString(), QStringLiteral("."), QStringLiteral("..")}) {
        const QString safe = SafeFileName(dotName);
        EXPECT_FALSE(safe.isEmpty());
        EXPECT_NE(safe, QStringLiteral("."));
        EXPECT_NE(safe, QStringLiteral(".."));
    }
    // Ordinary names pass unchanged, dots inside included.
    EXPECT_EQ(SafeFileName(QStringLiteral("music..theme.mid")), QStringLiteral("music..theme.mid"));
    EXPECT_EQ(SafeFileName(QStringLiteral("caf\u00E9 1.txt")), QStringLiteral("caf\u00E9 1.txt"));
}

TEST(SafeFileNames, LongNamesAreShortenedKeepingTheirExtension)
{
    const QString longName = QString(300, QChar(0xE9)) + QStringLiteral(".bmp");
    const QString safe = SafeFileName(longName);
    EXPECT_LE(QFile::encodeName(safe).size(), 255);
    EXPECT_TRUE(safe.endsWith(QStringLiteral(".bmp")));
    EXPECT_EQ(SafeFileName(longName), safe);  // equal names, equal files
}

TEST(TempViewFilesTest, DeletesRecordedFilesAndItsPrivateDirectoryAtTheEnd)
{
    QString path;
    QString directory;
    {
        TempViewFiles files;
        path = files.PathFor(QStringLiteral("seen.txt"));
        ASSERT_FALSE(path.isEmpty());
        directory = QFileInfo(path).absolutePath();
        EXPECT_NE(QDir(directory), QDir(QDir::tempPath()));  // a directory of its own
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        files.Record(path);
        files.Record(path);
        EXPECT_EQ(files.Files(), QStringList({path, path}));
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(directory));
}

}  // namespace
