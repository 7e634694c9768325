#include "resources/Icon.h"
#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"
#include "shell/CommandLine.h"
#include "shell/QuitSignals.h"
#include "archives/TempViewFiles.h"
#include "common/ProcessDesktopOpener.h"
#include "common/QtPrompts.h"
#include "common/WaitCapture.h"
#include "skills/DMSkills.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>

namespace {
// The library reports a broken skill table through this hook.
void ShowSkillsError(const char* text, const char* caption)
{
    const WaitSuspension free;  // the box must be clickable whatever runs
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(caption), QString::fromLatin1(text),
                    QMessageBox::Ok);
    box.exec();
}
}  // namespace

int main(int argc, char* argv[])
{
    // --help and --version answer before the window system is touched; the
    // archive to open is read after Qt has taken its own options out.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineRequest early = ParseCommandLine(raw);
    if (early.action == CommandLineRequest::PrintHelp || early.action == CommandLineRequest::PrintVersion) {
        std::fputs((early.action == CommandLineRequest::PrintHelp ? HelpText() : VersionText()).toLocal8Bit().constData(),
                   stdout);
        return 0;
    }

    QApplication app(argc, argv);
    const CommandLineRequest request = ParseCommandLine(QApplication::arguments().mid(1));
    if (request.action == CommandLineRequest::Refuse) {
        std::fprintf(stderr, "tomelens: %s\n\n%s", request.error.toLocal8Bit().constData(),
                     HelpText().toLocal8Bit().constData());
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Tomelens"));
    QApplication::setOrganizationName(QStringLiteral("Tomelens"));
    // The installed desktop entry's id, so the desktop ties the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tomelens.Tomelens"));
    QApplication::setWindowIcon(ProgramIcon());
    SetSkillsErrorHandler(&ShowSkillsError);

    QtPrompts prompts;
    const std::unique_ptr<DesktopOpener> opener = MakeDesktopOpener();
    // Earlier runs that were killed left their viewed entries behind.
    TempViewFiles::RemoveFoldersOfEndedRuns(QDir::tempPath());
    CMainFrame frame(prompts, *opener);
    prompts.SetParent(&frame);
    const QuitSignals quitSignals(frame);
    frame.show();
    if (!request.file.isEmpty())
        OpenFromCommandLine(*frame.View(), prompts, request.file);
    return app.exec();
}
