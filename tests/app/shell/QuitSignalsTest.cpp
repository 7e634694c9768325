// SIGTERM, SIGHUP and SIGINT end the program as closing its window does, and
// a run killed outright has its viewed files removed by the next start. The
// program runs in a child process: this test binary again, in child mode.
#include "archives/TempViewFiles.h"
#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"
#include "shell/QuitSignals.h"
#include "app/support/GuiFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>

#include <csignal>
#include <iostream>
#include <unistd.h>

namespace {

const char* const kChildMode = "TOMELENS_QUIT_SIGNALS_CHILD";

QStringList ViewFolders(const QString& tempRoot)
{
    return QDir(tempRoot).entryList({QStringLiteral("tomelens-view-*")}, QDir::Dirs);
}

// The program with an entry viewed and a change not saved, waiting for a signal.
TEST(QuitSignals, ChildRun)
{
    if (!qEnvironmentVariableIsSet(kChildMode))
        GTEST_SKIP() << "run in a child process by the other tests of this file";
    ProgramOnGame t;
    t.game.WriteArchive(QStringLiteral("alpha.pak"), {"a.txt"});
    t.Start();
    Program& p = *t.program;
    ASSERT_TRUE(p.OpenArchive(QStringLiteral("alpha.pak")));
    ASSERT_TRUE(p.SelectEntry(QStringLiteral("a.txt")));
    p.view->Archive().ViewEntry();
    p.view->Archive().NewEntry();
    p.prompts.saveChangesAnswers.enqueue(Prompts::SaveChoice::Discard);
    const QuitSignals quitSignals(*p.frame);
    std::cout << "ready" << std::endl;
    while (p.frame->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (const auto& shown : p.prompts.shown)
        std::cout << "asked: " << shown.text.toStdString() << std::endl;
}

struct Child {
    explicit Child(const QString& tempRoot)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildMode), QStringLiteral("1"));
        environment.insert(QStringLiteral("TMPDIR"), tempRoot);
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=QuitSignals.ChildRun")});
        while (!output.contains("ready\n") && process.waitForReadyRead(20000))
            output += process.readAllStandardOutput();
    }
    bool Ready() const { return output.contains("ready\n"); }
    QByteArray Finish()
    {
        process.waitForFinished(20000);
        return output + process.readAllStandardOutput();
    }
    QProcess process;
    QByteArray output;
};

TEST(QuitSignals, EndTheProgramAsClosingItsWindowDoes)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QTemporaryDir tempRoot;
        Child child(tempRoot.path());
        ASSERT_TRUE(child.Ready()) << signal;
        const QStringList folders = ViewFolders(tempRoot.path());
        ASSERT_EQ(folders.size(), 1);
        EXPECT_TRUE(QFileInfo::exists(tempRoot.filePath(folders[0] + QStringLiteral("/a.txt"))));

        ::kill(static_cast<pid_t>(child.process.processId()), signal);
        const QByteArray output = child.Finish();
        EXPECT_EQ(child.process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(child.process.exitCode(), 0) << signal;
        EXPECT_TRUE(output.contains("asked: Save changes to alpha.pak before closing?")) << output.toStdString();
        EXPECT_EQ(ViewFolders(tempRoot.path()), QStringList()) << signal;
    }
}

TEST(QuitSignals, AStartRemovesTheViewFoldersOfRunsThatWereKilled)
{
    QTemporaryDir tempRoot;
    {
        Child killed(tempRoot.path());
        ASSERT_TRUE(killed.Ready());
        ::kill(static_cast<pid_t>(killed.process.processId()), SIGKILL);
        killed.Finish();
    }
    const QStringList left = ViewFolders(tempRoot.path());
    ASSERT_EQ(left.size(), 1);
    // A folder of a run still going, and one of another host, are not this start's to remove.
    QString host = QSysInfo::machineHostName();
    host.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]")));
    const QString live = QStringLiteral("tomelens-view-%1-%2-abcdef").arg(host).arg(::getppid());
    const QString elsewhere = QStringLiteral("tomelens-view-otherhost%1-1-abcdef").arg(host);
    ASSERT_TRUE(QDir(tempRoot.path()).mkdir(live));
    ASSERT_TRUE(QDir(tempRoot.path()).mkdir(elsewhere));

    TempViewFiles::RemoveFoldersOfEndedRuns(tempRoot.path());
    QStringList expected{live, elsewhere};
    expected.sort();
    EXPECT_EQ(ViewFolders(tempRoot.path()), expected);
}

}  // namespace
