#include "resources/Icon.h"
#include "shell/CMainFrame.h"
#include "shell/ProcessDesktopOpener.h"
#include "shell/QtPrompts.h"
#include "shell/WaitCapture.h"
#include "skills/DMSkills.h"

#include <QApplication>
#include <QMessageBox>

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
    // Any command line is accepted; the program has no options of its own.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tomelens"));
    QApplication::setOrganizationName(QStringLiteral("Tomelens"));
    QApplication::setWindowIcon(ProgramIcon());
    SetSkillsErrorHandler(&ShowSkillsError);

    QtPrompts prompts;
    const std::unique_ptr<DesktopOpener> opener = MakeDesktopOpener();
    CMainFrame frame(prompts, *opener);
    prompts.SetParent(&frame);
    frame.show();
    return app.exec();
}
