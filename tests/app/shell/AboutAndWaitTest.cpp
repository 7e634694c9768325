#include "app/support/GuiFixture.h"
#include "shell/CAboutDlg.h"
#include "common/WaitCapture.h"
#include "ProgramFacts.h"

TEST(AboutBox, ShowsTheIconAndADefaultOkThatEnterCloses)
{
    CAboutDlg about;
    auto* icon = about.findChild<QLabel*>(QStringLiteral("aboutIcon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    // The box's line is fixed text; a new project version must be written into it too.
    auto* version = about.findChild<QLabel*>(QStringLiteral("aboutVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Tomelens Version %1").arg(tomelens::core::kProgramVersion));
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("id1"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    about.show();
    // Enter clicks the default button, so this also reaches Ok's own handler.
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(WaitCapture, SetsAndRestoresTheCursorAndTheMouseGrab)
{
    QWidget window;
    auto* list = new QListWidget(&window);
    auto* other = new QListWidget(&window);
    window.show();
    other->grabMouse();
    {
        CWaitCapture wait(list);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(QWidget::mouseGrabber(), list);
        {
            CWaitCapture nested(list);
            EXPECT_EQ(QWidget::mouseGrabber(), list);
        }
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QWidget::mouseGrabber(), list) << "the outer capture still holds the mouse";
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), other);
    other->releaseMouse();
}
