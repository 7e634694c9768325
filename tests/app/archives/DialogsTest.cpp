#include "ModalHelper.h"

#include "archives/CDlgCRC.h"
#include "archives/CDlgProgress.h"
#include "archives/CDlgRename.h"
#include "resources/ResourceIds.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

QLineEdit* EditOf(QWidget* dialog, int id)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("id%1").arg(id));
}

TEST(CheckSumText, ReadsUnsignedDecimalsThatFitIn32Bits)
{
    EXPECT_EQ(CDlgCRC::ParseCheckSum(QStringLiteral("0")), 0u);
    EXPECT_EQ(CDlgCRC::ParseCheckSum(QStringLiteral("  123456 ")), 123456u);
    EXPECT_EQ(CDlgCRC::ParseCheckSum(QStringLiteral("4294967295")), 4294967295u);
    EXPECT_EQ(CDlgCRC::ParseCheckSum(QStringLiteral("0004294967295")), 4294967295u);

    for (const char* bad : {"", "   ", "4294967296", "99999999999999999999", "-1", "+5", "12a", "0x10", "1 2", "1.0"})
        EXPECT_FALSE(CDlgCRC::ParseCheckSum(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(DataCrcDialog, ShowsTheLargestChecksumAndGivesItBack)
{
    CDlgCRC dialog;
    dialog.m_crc = 4294967295u;
    QString shown;
    WhenModal("CDlgCRC", [&](QWidget* modal) {
        shown = EditOf(modal, ids::CrcEdit)->text();
        static_cast<QDialog*>(modal)->accept();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(shown, QStringLiteral("4294967295"));
    EXPECT_EQ(dialog.m_crc, 4294967295u);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Data CRC"));
}

TEST(DataCrcDialog, TextThatIsNoNumberKeepsTheDialogOpenWithAMessage)
{
    CDlgCRC dialog;
    dialog.m_crc = 7;
    QString message;
    bool openAfterMessage = false;
    WhenModal("CDlgCRC", [&](QWidget* modal) {
        auto* crc = static_cast<CDlgCRC*>(modal);
        EditOf(crc, ids::CrcEdit)->setText(QStringLiteral("12x"));
        WhenModal("QMessageBox", [&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QDialog*>(box)->done(QMessageBox::Ok);
        });
        crc->accept();
        openAfterMessage = crc->isVisible() && crc->result() != QDialog::Accepted;
        EXPECT_EQ(crc->m_crc, 7u);
        EditOf(crc, ids::CrcEdit)->setText(QStringLiteral("305419896"));
        crc->accept();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(message, CDlgCRC::NotANumberMessage());
    EXPECT_TRUE(openAfterMessage);
    EXPECT_EQ(dialog.m_crc, 305419896u);
}

TEST(DataCrcDialog, CancelKeepsTheValue)
{
    CDlgCRC dialog;
    dialog.m_crc = 42;
    WhenModal("CDlgCRC", [](QWidget* modal) {
        EditOf(modal, ids::CrcEdit)->setText(QStringLiteral("43"));
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_crc, 42u);
}

TEST(RenameDialog, PresetsTheNameAndAcceptsAnyTextEvenAnEmptyOne)
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
    EXPECT_EQ(shown, QStringLiteral("old.txt"));
    EXPECT_EQ(dialog.m_name, QString());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Rename Entry"));

    dialog.m_name = QStringLiteral("kept");
    WhenModal("CDlgRename", [](QWidget* modal) {
        EditOf(modal, ids::RenameEdit)->setText(QStringLiteral("dropped"));
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_name, QStringLiteral("kept"));
}

TEST(ProgressWindow, IsShownTitledCentredAndSteppedOnePerCall)
{
    CDlgProgress progress(3, QStringLiteral("Counting"));
    EXPECT_TRUE(progress.isVisible());
    EXPECT_FALSE(progress.isModal());
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Counting"));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = progress.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);

    QProgressBar* bar = progress.findChild<QProgressBar*>(QStringLiteral("id%1").arg(ids::ProgressBar));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 3);
    EXPECT_EQ(bar->value(), 0);
    progress.Step();
    progress.Step();
    EXPECT_EQ(bar->value(), 2);
    progress.Step();
    progress.Step();  // past the end it stays full
    EXPECT_EQ(bar->value(), 3);
}

TEST(ProgressWindow, KeepsRangesBeyondSixteenBitsAndShowsAnEmptyBarForNone)
{
    CDlgProgress large(70000, QStringLiteral("Large"));
    EXPECT_EQ(large.Range(), 70000);
    EXPECT_EQ(large.m_progress->maximum(), 70000);
    large.m_progress->setValue(65535);
    large.Step();
    EXPECT_EQ(large.Position(), 65536);

    CDlgProgress none(0, QStringLiteral("None"));
    EXPECT_EQ(none.Range(), 0);
    // A 0..0 bar would be a busy indicator, not an empty bar.
    EXPECT_GT(none.m_progress->maximum(), none.m_progress->minimum());
    EXPECT_EQ(none.Position(), 0);
}

}  // namespace
