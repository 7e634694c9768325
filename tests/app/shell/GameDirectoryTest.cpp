#include "common/GameDirectory.h"
#include "common/InstallerRecord.h"
#include "common/Settings.h"
#include "app/support/GuiFixture.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const char kKeyLine[] =
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\Duskmere.exe] 1733500000\n";
const char kGoodPath[] = "\"Path\"=\"C:\\\\Games\\\\Duskmere\"\n";

// A Wine prefix with drive c: on drive_c and a system.reg holding the
// installer's key with `body` below an unrelated key; returns the game folder.
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
    reg.write(QByteArray(kKeyLine) + body);
    reg.close();
    return QDir(prefix + QStringLiteral("/drive_c/Games/Duskmere")).canonicalPath();
}

}  // namespace

TEST(GameDirectory, AStoredValueWinsUnchangedAndOnlyAMissingOrEmptyOneFallsBackToTheWineRecordOfThePrefix)
{
    PrivateSettings settings;
    EXPECT_EQ(GetDMPath(), QString());
    const QString fromRecord = MakePrefix(settings.Home() + QStringLiteral("/.wine"), kGoodPath);
    EXPECT_EQ(GetDMPath(), fromRecord);
    EXPECT_TRUE(settings.StoredDMPath().isNull());  // the fallback is never stored
    settings.StoreDMPath(QString());
    EXPECT_EQ(GetDMPath(), fromRecord);
    for (const QString& stored : {QStringLiteral("/no/such/dir "), QStringLiteral("/a,b;c")}) {
        SetDMPath(stored);
        EXPECT_EQ(settings.StoredDMPath(), stored);
        EXPECT_EQ(GetDMPath(), stored);
    }
    settings.StoreDMPath(QStringLiteral("/second"));  // read again each time
    EXPECT_EQ(GetDMPath(), QStringLiteral("/second"));

    // WINEPREFIX chooses the prefix. Case-insensitive components and a
    // trailing backslash, as Windows accepts them.
    settings.StoreDMPath(QString());
    QTemporaryDir other;
    const QString expected = MakePrefix(other.path(), "\"Path\"=str(2):\"c:\\\\GAMES\\\\duskmere\\\\\"\n");
    qputenv("WINEPREFIX", QFile::encodeName(other.path()));
    EXPECT_EQ(GetDMPath(), expected);
}

TEST(GameDirectory, RecordFailuresGiveEmpty)
{
    PrivateSettings settings;
    const QString prefix = settings.Home() + QStringLiteral("/.wine");
    for (const char* value : {"@=\"C:\\\\Games\\\\Duskmere\\\\Duskmere.exe\"\n",  // no Path value
                              "\"Path\"=\"C:\\\\Games\\\\Gone\"\n",              // no such folder
                              "\"Path\"=\"D:\\\\Games\"\n",                      // no dosdevices link
                              "\"Path\"=\"\\\\\\\\server\\\\share\"\n",          // not a drive path
                              "\"Path\"=dword:00000001\n"}) {                    // not a string
        MakePrefix(prefix, value);
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
    EXPECT_EQ(wine::ReadRegistryString(file, QStringLiteral("SOFTWARE\\B"), QStringLiteral("Name")),
              QStringLiteral("q\"uote\\back") + QChar(0xe9) + QStringLiteral("t"));
    EXPECT_EQ(wine::ReadRegistryString(file, QStringLiteral("Software\\C"), QStringLiteral("Name")), QString());
}

TEST(ChosenFile, DirectoryIsEverythingBeforeTheLastSeparator)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/x/y/file.dat", "/x/y"}, {"/readme.txt", "/"}, {"/x/y/", "/x/y"},
        {"/x/a\\b.dat", "/x"},  // a backslash is an ordinary character of a Unix file name
    };
    for (const auto& [file, folder] : cases)
        EXPECT_EQ(DirectoryOfChosenFile(QString::fromLatin1(file)), QString::fromLatin1(folder)) << file;
}

#ifdef Q_OS_UNIX
TEST(GameDirectory, FifosInPlaceOfTheSettingsOrTheWineRegistryAreNeverOpened)
{
    PrivateSettings settings;
    const QString prefix = settings.Home() + QStringLiteral("/.wine");
    ASSERT_TRUE(QDir().mkpath(prefix));
    for (const QString& path : {settings.SettingsFile(), prefix + QStringLiteral("/system.reg")})
        ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // Opening either would wait for a writer forever.
    EXPECT_EQ(GetDMPath(), QString());
    SetDMPath(QStringLiteral("/games"));
    EXPECT_FALSE(QFileInfo(settings.SettingsFile()).isFile());  // neither read nor replaced
}
#endif

TEST(Settings, TestsNeverReachTheUsersOwnSettings)
{
    // Other tests redirect the store to a file of their own (SetDMPath above
    // lands there). Without that, it lies in the configuration home, which the
    // test runner points at a folder of the build.
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(configHome.isEmpty()) << "run the tests through ctest";
    qunsetenv(kSettingsEnvironmentVariable);
    const QString file = OpenSettings()->fileName();
    EXPECT_TRUE(file.startsWith(configHome)) << file.toStdString();
    EXPECT_TRUE(file.endsWith(QStringLiteral("Tomelens/Tomelens.conf"))) << file.toStdString();
}
