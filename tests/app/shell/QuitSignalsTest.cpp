// SIGTERM, SIGHUP and SIGINT end the program as closing its window does; the
// view folder of a run killed outright goes at the next start. The program
// runs in a child process: this test binary again, in child mode.
#include "archives/TempViewFiles.h"
#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"
#include "shell/QuitSignals.h"
#include "app/support/GuiFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <iostream>
#include <unistd.h>

namespace {

// The program with an entry viewed and a change not saved, waiting for a signal.
TEST(QuitSignals, ChildRun)
{
    if (!qEnvironmentVariableIsSet("TOMELENS_QUIT_CHILD"))
        GTEST_SKIP() << "run in a child process by the next test";
    ProgramOnGame t;
    t.game.WriteArchive(QStringLiteral("alpha.pak"), {"a.txt"});
    t.Start();
    Program& p = *t.program;
    ASSERT_TRUE(p.OpenArchive(QStringLiteral("alpha.pak")) && p.SelectEntry(QStringLiteral("a.txt")));
    p.view->Archive().ViewEntry();
    p.view->Archive().NewEntry();
    p.prompts.saveChangesAnswers.enqueue(Prompts::SaveChoice::Discard);
    const QuitSignals quitSignals(*p.frame);
    std::cout << "ready" << std::endl;
    while (p.frame->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::cout << "asked: " << p.prompts.shown.value(0).text.toStdString() << std::endl;
}

TEST(QuitSignals, EndTheProgramInOrderAndAStartRemovesWhatAKilledRunLeft)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
        QTemporaryDir tempRoot;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TOMELENS_QUIT_CHILD"), QStringLiteral("1"));
        environment.insert(QStringLiteral("TMPDIR"), tempRoot.path());
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=QuitSignals.ChildRun")});
        QByteArray output;
        while (!output.contains("ready\n") && child.waitForReadyRead(20000))
            output += child.readAllStandardOutput();
        const auto viewFolders = [&] { return QDir(tempRoot.path()).entryList({"tomelens-view-*"}, QDir::Dirs); };
        ASSERT_TRUE(QFileInfo::exists(tempRoot.filePath(viewFolders().value(0) + QStringLiteral("/a.txt")))) << signal;

        const qint64 pid = child.processId();
        ::kill(static_cast<pid_t>(pid), signal);
        child.waitForFinished(20000);
        output += child.readAllStandardOutput();
        if (signal != SIGKILL) {
            EXPECT_TRUE(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0) << signal;
            EXPECT_TRUE(output.contains("asked: Save changes to alpha.pak before closing?")) << output.toStdString();
            EXPECT_EQ(viewFolders(), QStringList()) << signal;
            continue;
        }
        // Killed outright the run leaves its folder; a start removes it, but not
        // the folder of a run that still goes on (this test's parent, say).
        const QString live = viewFolders()[0].replace(QStringLiteral("-%1-").arg(pid),
                                                      QStringLiteral("-%1-").arg(::getppid()));
        ASSERT_TRUE(QDir(tempRoot.path()).mkdir(live));
        TempViewFiles::RemoveFoldersOfEndedRuns(tempRoot.path());
        EXPECT_EQ(viewFolders(), QStringList({live}));
    }
}

}  // namespace
