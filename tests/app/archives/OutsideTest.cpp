// Reaching the Archives tab from outside: the command line, and long work on a
// worker thread.
#include "ArchiveTabFixture.h"

#include "common/BackgroundWork.h"
#include "common/WorkProgressDialog.h"
#include "shell/CommandLine.h"

#include <QDialogButtonBox>
#include <QThread>
#include <QTimer>

namespace {

using namespace tomelens::core;

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

    // What is there but is no regular file (a folder, a FIFO, a device) is named as such, not as missing.
    const QString missing = elsewhere.File(QStringLiteral("missing.pak"));
    for (const QString& file : {missing, elsewhere.Path()})
        OpenFromCommandLine(*p.view, p.prompts, file);
    EXPECT_EQ(p.prompts.Messages(), QStringList({QStringLiteral("There is no file \"%1\" to open.").arg(missing),
                                                 elsewhere.Path() + QStringLiteral(" is not a regular file.")}));
    EXPECT_FALSE(p.view->Archive().IsArchiveOpen());

    OpenFromCommandLine(*p.view, p.prompts, elsewhere.File(QStringLiteral("outside.pak")));
    EXPECT_TRUE(p.view->Archive().IsArchiveOpen());
    EXPECT_EQ(p.Find<QLabel>(1005)->text(), elsewhere.File(QStringLiteral("outside.pak")));
    EXPECT_TRUE(p.Tip().startsWith(QStringLiteral("Tip: Now you can DblClick")));
    EXPECT_EQ(Texts(p.Find<QListWidget>(1000)), QStringList({"inside.pak"}));
    EXPECT_EQ(t.settings.StoredDMPath(), t.game.Path());
}

// A job that runs on a worker thread until it is told to stop.
Outcome UntilCancelled(const ProgressCallback& report)
{
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        return Outcome::Success();
    Progress progress;
    progress.entriesTotal = 10;
    while (report(progress))
        QThread::msleep(5);
    return Outcome::Cancelled();
}

WorkProgressDialog* ProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<WorkProgressDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

TEST(BackgroundWork, CancelEscapeAndCloseStopTheJobWhileItsWindowStaysUpAndWhatItThrowsIsAnOutcome)
{
    const auto throws = [](const ProgressCallback&) -> Outcome { throw std::bad_alloc(); };
    EXPECT_EQ(RunInBackground(nullptr, QStringLiteral("Testing"), throws).step, Step::Memory);

    const std::function<void(WorkProgressDialog&)> ways[] = {
        [](WorkProgressDialog& dialog) { dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); },
        [](WorkProgressDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
        [](WorkProgressDialog& dialog) { dialog.close(); },
    };
    for (const auto& cancel : ways) {
        bool stillShownAfterCancel = false;
        QTimer press;
        press.setInterval(20);
        QObject::connect(&press, &QTimer::timeout, [&] {
            if (WorkProgressDialog* dialog = ProgressWindow()) {
                press.stop();
                cancel(*dialog);
                stillShownAfterCancel = dialog->isVisible();
            }
        });
        press.start();
        EXPECT_TRUE(RunInBackground(nullptr, QStringLiteral("Testing"), UntilCancelled).WasCancelled());
        EXPECT_TRUE(stillShownAfterCancel);
        EXPECT_EQ(ProgressWindow(), nullptr);
    }
}

}  // namespace
