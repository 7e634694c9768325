// The GUI tests need a QApplication for the whole run, and a settings file of
// their own so the game directory they set never reaches the user's.
#include "shell/Settings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform warns about every window it sizes; that noise would
// hide what matters in the test log.
void QuietOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    g_defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv)
{
    g_defaultHandler = qInstallMessageHandler(QuietOffscreenNoise);
    QTemporaryDir settingsHome;
    qputenv(kSettingsEnvironmentVariable, settingsHome.filePath(QStringLiteral("tomelens.ini")).toLocal8Bit());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
