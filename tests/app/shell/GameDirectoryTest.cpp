#include "shell/GameDirectory.h"
#include "shell/InstallerRecord.h"
#include "shell/Settings.h"
#include "app/support/GuiFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const char kKeyLine[] =
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\Duskmere.exe] 1733500000\n";

// A Wine prefix with drive c: on drive_c and a system.reg holding `body`
// below a few unrelated keys.
QString MakePrefix(const QString& prefix, const QByteArray& body)
{
    QDir(prefix).mkpath(QStringLiteral("drive_c/Games/Duskmere"));
    QDir(prefix).mkpath(QStringLiteral("dosdevices"));
    QFile::link(QStringLiteral("../drive_c"), prefix + QStringLiteral("/dosdevices/c:"));
    QFile reg(prefix + QStringLiteral("/system.reg"));
    EXPECT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.write("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
              "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\Other.exe] 1\n"
              "\"Path\"=\"C:\\\\Wrong\"\n\n");
    reg.write(body);
    reg.close();
    return QDir(prefix + QStringLiteral("/drive_c/Games/Duskmere")).canonicalPath();
}

}  // namespace

TEST(GameDirectory, TheStoredValueIsReturnedUnchangedAndReadAgainEachTime)
{
    PrivateSettings settings;
    EXPECT_EQ(GetDMPath(), QString());
    settings.StoreDMPath(QString());
    EXPECT_EQ(GetDMPath(), QString());
    SetDMPath(QStringLiteral("/no/such/dir "));
    EXPECT_EQ(GetDMPath(), QStringLiteral("/no/such/dir "));
    EXPECT_EQ(settings.StoredDMPath(), QStringLiteral("/no/such/dir "));
    SetDMPath(QStringLiteral("/a,b;c"));  // list and comment characters of ini files
    EXPECT_EQ(GetDMPath(), QStringLiteral("/a,b;c"));
    settings.StoreDMPath(QStringLiteral("/second"));
    EXPECT_EQ(GetDMPath(), QStringLiteral("/second"));
}

TEST(GameDirectory, FallsBackToTheWineRecordInTheDefaultPrefixAndNeverStoresIt)
{
    PrivateSettings settings;
    const QString expected = MakePrefix(settings.Home() + QStringLiteral("/.wine"),
                                        QByteArray(kKeyLine) +
                                            "@=\"C:\\\\Games\\\\Duskmere\\\\Duskmere.exe\"\n"
                                            "\"Path\"=\"C:\\\\Games\\\\Duskmere\"\n");
    EXPECT_EQ(GetDMPath(), expected);
    EXPECT_TRUE(settings.StoredDMPath().isNull());
    // An empty stored value counts as missing too.
    settings.StoreDMPath(QString());
    EXPECT_EQ(GetDMPath(), expected);
    // A stored value wins over the record.
    settings.StoreDMPath(QStringLiteral("/mine"));
    EXPECT_EQ(GetDMPath(), QStringLiteral("/mine"));
}

TEST(GameDirectory, WinePrefixVariableChoosesThePrefix)
{
    PrivateSettings settings;
    QTemporaryDir other;
    const QString expected = MakePrefix(other.path(), QByteArray(kKeyLine) +
                                                          "\"Path\"=str(2):\"c:\\\\GAMES\\\\duskmere\\\\\"\n");
    qputenv("WINEPREFIX", QFile::encodeName(other.path()));
    // Case-insensitive components and a trailing backslash, as Windows accepts them.
    EXPECT_EQ(GetDMPath(), expected);
}

TEST(GameDirectory, RecordFailuresGiveEmpty)
{
    PrivateSettings settings;
    const QString prefix = settings.Home() + QStringLiteral("/.wine");
    for (const char* value : {"@=\"C:\\\\Games\\\\Duskmere\\\\Duskmere.exe\"\n",  // no Path value
                              "\"Path\"=\"C:\\\\Games\\\\Gone\"\n",                      // no such folder
                              "\"Path\"=\"D:\\\\Games\"\n",                                  // no dosdevices link
                              "\"Path\"=dword:00000001\n"}) {                               // not a string
        MakePrefix(prefix, QByteArray(kKeyLine) + value);
        EXPECT_EQ(GetDMPath(), QString()) << value;
    }
    QFile::remove(prefix + QStringLiteral("/system.reg"));
    EXPECT_EQ(GetDMPath(), QString());
}

TEST(WineRegistry, ReadsEscapesAndIgnoresOtherKeysAndCase)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("system.reg"));
    QFile reg(file);
    ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.write("[Software\\\\A] 1\n\"Name\"=\"from A\"\n\n"
              "[software\\\\b] 2\n\"Other\"=\"x\"\n\"name\"=\"q\\\"uote\\\\back\\x00e9t\"\n");
    reg.close();
    EXPECT_EQ(wine::ReadRegistryString(file, QStringLiteral("Software\\A"), QStringLiteral("Name")),
              QStringLiteral("from A"));
    EXPECT_EQ(wine::ReadRegistryString(file, QStringLiteral("SOFTWARE\\B"), QStringLiteral("Name")),
              QStringLiteral("q\"uote\\back") + QChar(0xe9) + QStringLiteral("t"));
    EXPECT_EQ(wine::ReadRegistryString(file, QStringLiteral("Software\\C"), QStringLiteral("Name")),
              QString());
}

TEST(WineRegistry, MapsOnlyDrivePaths)
{
    QTemporaryDir prefix;
    const QString target = MakePrefix(prefix.path(), QByteArray());
    EXPECT_EQ(wine::MapWindowsPath(prefix.path(), QStringLiteral("C:\\Games\\Duskmere")), target);
    EXPECT_EQ(wine::MapWindowsPath(prefix.path(), QStringLiteral("C:\\")),
              QDir(prefix.path() + QStringLiteral("/drive_c")).canonicalPath());
    EXPECT_EQ(wine::MapWindowsPath(prefix.path(), QStringLiteral("\\\\server\\share")), QString());
    EXPECT_EQ(wine::MapWindowsPath(prefix.path(), QStringLiteral("Games")), QString());
}

TEST(ChosenFile, DirectoryIsEverythingBeforeTheLastSeparator)
{
    EXPECT_EQ(DirectoryOfChosenFile(QStringLiteral("/x/y/file.dat")), QStringLiteral("/x/y"));
    EXPECT_EQ(DirectoryOfChosenFile(QStringLiteral("/readme.txt")), QStringLiteral("/"));
    EXPECT_EQ(DirectoryOfChosenFile(QStringLiteral("/x/y/")), QStringLiteral("/x/y"));
    // A backslash is an ordinary character of a Unix file name.
    EXPECT_EQ(DirectoryOfChosenFile(QStringLiteral("/x/a\\b.dat")), QStringLiteral("/x"));
}

#ifdef Q_OS_UNIX
TEST(GameDirectory, FifosInPlaceOfTheSettingsOrTheWineRegistryAreNeverOpened)
{
    PrivateSettings settings;
    const QString prefix = settings.Home() + QStringLiteral("/.wine");
    ASSERT_TRUE(QDir().mkpath(prefix));
    for (const QString& path : {settings.SettingsFile(), prefix + QStringLiteral("/system.reg")}) {
        QFile::remove(path);
        ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    // Opening either would wait for a writer forever.
    EXPECT_EQ(GetDMPath(), QString());
    SetDMPath(QStringLiteral("/games"));
    EXPECT_FALSE(QFileInfo(settings.SettingsFile()).isFile());  // neither read nor replaced
}
#endif

TEST(Settings, TestsNeverReachTheUsersOwnSettings)
{
    {
        PrivateSettings settings;
        EXPECT_EQ(OpenSettings()->fileName(), settings.SettingsFile());
    }
    // Without the redirection the per-user store lies in the configuration
    // home, which the test runner points at a folder of the build.
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(configHome.isEmpty()) << "run the tests through ctest";
    qunsetenv(kSettingsEnvironmentVariable);
    const QString file = OpenSettings()->fileName();
    EXPECT_TRUE(file.startsWith(configHome)) << file.toStdString();
    EXPECT_TRUE(file.endsWith(QStringLiteral("Tomelens/Tomelens.conf"))) << file.toStdString();
}
