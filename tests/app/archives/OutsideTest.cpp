// Reaching the Archives tab from outside: the command line, and long work on a
// worker thread.
#include "ArchiveTabFixture.h"

#include "common/BackgroundWork.h"
#include "shell/CTomelensView.h"
#include "shell/CommandLine.h"

#include <QLabel>
#include <QThread>

namespace {

TEST(CommandLine, ReadsOneFileHelpAndVersionAndRefusesTheRest)
{
    using R = CommandLineRequest;
    const struct {
        QStringList arguments;
        R::Action action;
        QString file;
    } cases[] = {
        {{}, R::Run, {}},
        {{"data.pak"}, R::Run, "data.pak"},
        {{"--", "-odd.pak"}, R::Run, "-odd.pak"},
        {{"data.pak", "--help"}, R::PrintHelp, {}},
        {{"--version"}, R::PrintVersion, {}},
        {{"--frobnicate"}, R::Refuse, {}},
        {{"a.pak", "b.pak"}, R::Refuse, {}},
    };
    for (const auto& c : cases) {
        const R request = ParseCommandLine(c.arguments);
        EXPECT_EQ(request.action, c.action) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(request.file, c.file);
        EXPECT_EQ(request.error.isEmpty(), c.action != R::Refuse);
    }
    EXPECT_TRUE(VersionText().startsWith(QStringLiteral("Tomelens ")));
}

TEST(CommandLine, OpensTheFileInTheArchivesTabAndKeepsTheGameDirectory)
{
    ProgramOnGame t;
    t.game.WriteArchive(QStringLiteral("inside.pak"), {"a.txt"});
    GameDir elsewhere;
    elsewhere.WriteArchive(QStringLiteral("outside.pak"), {"x.txt", "y.txt"});
    t.Start();
    Program& p = *t.program;

    OpenFromCommandLine(*p.view, p.prompts, elsewhere.File(QStringLiteral("missing.pak")));
    EXPECT_EQ(p.prompts.Messages().size(), 1);
    EXPECT_FALSE(p.view->Archive().IsArchiveOpen());

    OpenFromCommandLine(*p.view, p.prompts, elsewhere.File(QStringLiteral("outside.pak")));
    EXPECT_TRUE(p.view->Archive().IsArchiveOpen());
    EXPECT_EQ(p.Find<QLabel>(1005)->text(), elsewhere.File(QStringLiteral("outside.pak")));
    EXPECT_TRUE(p.Tip().startsWith(QStringLiteral("Tip: Now you can DblClick")));
    EXPECT_EQ(Texts(p.Find<QListWidget>(1000)), QStringList({"inside.pak"}));
    EXPECT_EQ(t.settings.StoredDMPath(), t.game.Path());
}

TEST(BackgroundWork, RunsTheWorkOnAnotherThreadAndGivesItsResult)
{
    QThread* worker = nullptr;
    const int result = RunInBackground(nullptr, QStringLiteral("Testing"), 3, [&](std::atomic<int>& done) {
        worker = QThread::currentThread();
        done = 3;
        return 42;
    });
    EXPECT_EQ(result, 42);
    EXPECT_NE(worker, QThread::currentThread());
}

}  // namespace
