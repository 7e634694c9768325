// The Archives tab's dialogs, and entry names turned into safe file names.
#include "app/support/GuiFixture.h"
#include "common/CDlgCRC.h"
#include "common/CDlgProgress.h"
#include "common/CDlgRename.h"
#include "common/QtPrompts.h"
#include "archives/EntryNames.h"

#include <QProgressBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

namespace {

// Acts on the next modal window of the given class once it is on screen, so a
// test can drive a dialog that runs its own event loop.
void WhenModal(const char* className, std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, className, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->inherits(className) || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

QLineEdit* EditOf(QWidget* dialog, int id)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("id%1").arg(id));
}

TEST(CheckSumText, ReadsUnsignedDecimalsAndHexThatFitIn32Bits)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {{"0", 0u}, {"  123456 ", 123456u}, {"0004294967295", 4294967295u}, {" 0XdeadBEEF ", 0xDEADBEEFu}};
    for (const auto& c : cases)
        EXPECT_EQ(CDlgCRC::ParseCheckSum(QString::fromLatin1(c.text)), c.value) << c.text;
    for (const char* bad : {"", "   ", "4294967296", "99999999999999999999", "-1", "+5", "12a", "1 2", "1.0",
                            "0x", "0x1g", "0x100000000", "ff"})
        EXPECT_FALSE(CDlgCRC::ParseCheckSum(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(CarefulQuestion, EnterAndEscapeBothPickTheButtonThatChangesNothing)
{
    QtPrompts prompts;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        WhenModal("QMessageBox", [key](QWidget* box) { QTest::keyClick(box, key); });
        EXPECT_EQ(prompts.ChooseCarefully(QStringLiteral("Replace it?"), QString(), {"Yes", "Reload", "No"}), 2) << key;
    }
}

TEST(DataCrcDialog, RefusesTextThatIsNoNumberComputesAndKeepsTheValueOnCancel)
{
    CDlgCRC dialog;
    dialog.m_crc = 0xDEADBEEF;
    dialog.SetCompute([] { return std::optional<std::uint32_t>(0x12345678u); });
    QString seen, message;
    bool openAfterMessage = false;
    WhenModal("CDlgCRC", [&](QWidget* modal) {
        auto* crc = static_cast<CDlgCRC*>(modal);
        auto* bothWays = modal->findChild<QLabel*>(QStringLiteral("BothWays"));
        seen = EditOf(crc, ids::CrcEdit)->text() + u'|' + bothWays->text();
        EditOf(crc, ids::CrcEdit)->setText(QStringLiteral("0x10"));
        seen += u'|' + bothWays->text();
        EditOf(crc, ids::CrcEdit)->setText(QStringLiteral("12x"));
        WhenModal("QMessageBox", [&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QDialog*>(box)->done(QMessageBox::Ok);
        });
        crc->accept();
        openAfterMessage = crc->isVisible() && crc->m_crc == 0xDEADBEEF;
        modal->findChild<QPushButton*>(QStringLiteral("Compute"))->click();
        seen += u'|' + EditOf(crc, ids::CrcEdit)->text();
        crc->accept();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(seen, QStringLiteral("3735928559|3735928559 = 0xDEADBEEF|16 = 0x00000010|305419896"));
    EXPECT_EQ(message, CDlgCRC::NotANumberMessage());
    EXPECT_TRUE(openAfterMessage);
    EXPECT_EQ(dialog.m_crc, 0x12345678u);

    WhenModal("CDlgCRC", [](QWidget* modal) {
        EditOf(modal, ids::CrcEdit)->setText(QStringLiteral("43"));
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_crc, 0x12345678u);
}

TEST(RenameDialog, PresetsTheNameAndAcceptsAnEmptyOne)
{
    CDlgRename dialog;
    dialog.m_name = QStringLiteral("old.txt");
    QString shown;
    WhenModal("CDlgRename", [&](QWidget* modal) {
        shown = EditOf(modal, ids::RenameEdit)->text();
        EditOf(modal, ids::RenameEdit)->clear();
        static_cast<QDialog*>(modal)->accept();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(shown + u'|' + dialog.m_name, QStringLiteral("old.txt|"));
}

TEST(ProgressWindow, IsShownCentredSteppedOnePerCallAndKeepsLargeRanges)
{
    CDlgProgress progress(70000, QStringLiteral("Counting"));
    EXPECT_TRUE(progress.isVisible() && !progress.isModal());
    const QPoint offset = progress.frameGeometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    progress.Step();
    EXPECT_EQ(progress.Position(), 1);
    progress.m_progress->setValue(69999);
    progress.Step();
    progress.Step();  // past the end it stays full
    EXPECT_EQ(progress.Position(), 70000);
    // Escape and the close button would hide it while the work goes on.
    QTest::keyClick(&progress, Qt::Key_Escape);
    progress.close();
    EXPECT_TRUE(progress.isVisible());

    // A 0..0 bar would be a busy indicator, not an empty bar.
    CDlgProgress none(0, QStringLiteral("None"));
    EXPECT_GT(none.m_progress->maximum(), none.m_progress->minimum());
    EXPECT_EQ(none.Position(), 0);
}

TEST(SafeFileNames, NeverHoldSeparatorsOrDotNamesAndKeepTheExtensionWhenShortened)
{
    for (const QString& hostile : {QStringLiteral("../../escape"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                                   QStringLiteral("c:evil"), QStringLiteral("tab\there"), QString(),
                                   QStringLiteral("."), QStringLiteral("..")}) {
        const QString safe = SafeFileName(hostile);
        EXPECT_FALSE(safe.contains(QRegularExpression(QStringLiteral("[/\\\\:\\t]")))) << safe.toStdString();
        EXPECT_FALSE(safe.isEmpty() || safe == QStringLiteral(".") || safe == QStringLiteral(".."));
    }
    // Ordinary names pass unchanged, dots inside included.
    EXPECT_EQ(SafeFileName(QStringLiteral("music..theme.mid")), QStringLiteral("music..theme.mid"));

    const QString safe = SafeFileName(QString(300, QChar(0xE9)) + QStringLiteral(".bmp"));
    EXPECT_LE(QFile::encodeName(safe).size(), 255);
    EXPECT_TRUE(safe.endsWith(QStringLiteral(".bmp")));
}

}  // namespace
