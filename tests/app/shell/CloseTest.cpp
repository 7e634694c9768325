// The user's work in the main window: closing with unsaved archive changes,
// the caption's marker of unsaved work and file saved as, where file dialogs start.
#include "resources/ResourceIds.h"
#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"
#include "app/support/GuiFixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWindow>

#include <stdexcept>

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
    QByteArray OnDisk() const
    {
        QFile file(game.File(QStringLiteral("alpha.pak")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
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

}  // namespace
