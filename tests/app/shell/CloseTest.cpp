// The user's work in the main window: closing with unsaved archive changes
// (by a termination signal too), the caption's marker of unsaved work and
// file saved as, where file dialogs start.
#include "archives/TempViewFiles.h"
#include "shell/QuitSignals.h"
#include "app/support/GuiFixture.h"

#include <QProcess>
#include <QWindow>

#include <csignal>
#include <iostream>
#include <stdexcept>
#include <unistd.h>

namespace {

// The program with alpha.pak (two entries) of its game directory open.
struct OpenArchive : ProgramOnGame {
    OpenArchive()
    {
        game.WriteArchive(QStringLiteral("alpha.pak"), {"a.txt", "b.bmp"});
        Start();
        if (!program->OpenArchive(QStringLiteral("alpha.pak")))
            throw std::runtime_error("alpha.pak not listed");
    }
    QByteArray OnDisk() const { return ReadBytes(game.File(QStringLiteral("alpha.pak"))); }
    QString Caption() const { return program->frame->windowHandle()->title(); }
};

TEST(Caption, MarksUnsavedWorkFromTheFirstChangeUntilASave)
{
    OpenArchive t;
    Program& p = *t.program;
    EXPECT_EQ(t.Caption(), QStringLiteral("Untitled - Tomelens"));

    // A new checksum alone counts.
    ASSERT_TRUE(p.SelectEntry(QStringLiteral("a.txt")));
    p.prompts.checkSumAnswers.enqueue(7u);
    p.Command(ids::ArchiveUpdateCrc);
    EXPECT_EQ(t.Caption(), QStringLiteral("Untitled* - Tomelens"));

    p.prompts.questionAnswers.enqueue(true);
    p.Command(ids::FileSave);
    EXPECT_EQ(t.Caption(), QStringLiteral("Untitled - Tomelens"));

    // After Save As the caption names the file that Save writes, until another archive is opened.
    p.prompts.saveFileAnswers.enqueue(t.game.File(QStringLiteral("beta.pak")));
    p.Command(ids::FileSaveAs);
    EXPECT_EQ(t.Caption(), QStringLiteral("beta.pak - Tomelens"));
    ASSERT_TRUE(p.OpenArchive(QStringLiteral("alpha.pak")));
    EXPECT_EQ(t.Caption(), QStringLiteral("Untitled - Tomelens"));
}

TEST(Close, WithUnsavedChangesAsksAndSaveDiscardOrCancelDoWhatTheySay)
{
    const struct {
        Prompts::SaveChoice answer;
        bool closes, saves;
    } cases[] = {
        {Prompts::SaveChoice::Cancel, false, false},
        {Prompts::SaveChoice::Save, true, true},
        {Prompts::SaveChoice::Discard, true, false},
    };
    for (const auto& c : cases) {
        OpenArchive t;
        Program& p = *t.program;
        const QByteArray before = t.OnDisk();
        p.Command(ids::ArchiveNew);
        p.prompts.saveChangesAnswers.enqueue(c.answer);
        p.Command(ids::AppExit);
        EXPECT_EQ(p.frame->isVisible(), !c.closes);
        ASSERT_EQ(p.prompts.shown.size(), 1);
        EXPECT_EQ(p.prompts.shown[0].kind + ": " + p.prompts.shown[0].text,
                  QStringLiteral("SaveChanges: Save changes to alpha.pak before closing?"));
        EXPECT_EQ(t.OnDisk() != before, c.saves);
    }

    // Nothing unsaved: the window closes without a question.
    OpenArchive t;
    EXPECT_TRUE(t.program->frame->close());
    EXPECT_TRUE(t.program->prompts.shown.isEmpty());
}

TEST(FileDialogs, StartInTheOpenArchivesFolderUntilTheUserChoosesAnother)
{
    OpenArchive t;
    Program& p = *t.program;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(p.SelectEntry(QStringLiteral("a.txt")));
    p.prompts.saveFileAnswers.enqueue(elsewhere.filePath(QStringLiteral("a.txt")));
    p.Command(ids::ArchiveSaveData);
    p.Command(ids::ArchiveAdd);
    ASSERT_EQ(p.prompts.shown.size(), 2);
    EXPECT_EQ(p.prompts.shown[0].folder, QFileInfo(t.game.Path()).absoluteFilePath());
    EXPECT_EQ(p.prompts.shown[1].folder, QFileInfo(elsewhere.path()).absoluteFilePath());
}

// The program with an entry viewed and a change not saved, waiting for a signal.
TEST(QuitSignals, ChildRun)
{
    if (!qEnvironmentVariableIsSet("TOMELENS_QUIT_CHILD"))
        GTEST_SKIP() << "run in a child process by the next test; the program is this binary again";
    OpenArchive t;
    Program& p = *t.program;
    ASSERT_TRUE(p.SelectEntry(QStringLiteral("a.txt")));
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
