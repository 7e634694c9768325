// Viewing an entry through a desktop opener process that finds no program.
#include "common/ProcessDesktopOpener.h"
#include "app/support/GuiFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace {

#ifdef Q_OS_UNIX
TEST(ViewEntry, AnOpenerThatFindsNoProgramOrCannotStartIsToldWithTheCause)
{
    QTemporaryDir bin;
    const QString noProgram = bin.filePath(QStringLiteral("opener"));
    QFile script(noProgram);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexit 3\n");  // the opener's "no program for this file"
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    const struct {
        QString program;
        QString cause;
    } cases[] = {
        {noProgram, QStringLiteral("No program is set up to open this kind of file.")},
        {bin.filePath(QStringLiteral("missing")), QStringLiteral("could not be started")},
    };
    for (const auto& c : cases) {
        ProcessDesktopOpener opener(c.program);
        ProgramOnGame t;
        t.game.WriteArchive(QStringLiteral("alpha.pak"), {"a.txt"});
        t.Start(&opener);
        Program& p = *t.program;

        ASSERT_TRUE(p.OpenArchive(QStringLiteral("alpha.pak")));
        ASSERT_TRUE(p.SelectEntry(QStringLiteral("a.txt")));
        p.view->Archive().ViewEntry();
        // The launch ends on its own; the deadline only guards against a hang.
        const QDeadlineTimer deadline(30000);
        while (p.prompts.Messages().isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_EQ(p.prompts.Messages().size(), 1);
        EXPECT_EQ(p.prompts.Messages()[0], QStringLiteral("Can't open this file\n"));
        EXPECT_TRUE(p.Tip().contains(c.cause)) << p.Tip().toStdString();
        EXPECT_TRUE(p.Tip().contains(QStringLiteral("\"Archive\"->\"Save Data...\"")));
        // The written file stays recorded, so it is deleted at exit.
        ASSERT_EQ(p.view->Archive().TempFiles().size(), 1);
        EXPECT_TRUE(QFile::exists(p.view->Archive().TempFiles()[0]));
    }
}
#endif

}  // namespace
