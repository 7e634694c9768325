#include "common/CDlgProgress.h"

#include "resources/ResourceIds.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

CDlgProgress::CDlgProgress(int range, const QString& title, QWidget* parent)
    : QDialog(parent), m_progress(new QProgressBar(this)), m_nRange(std::max(range, 0))
{
    m_progress->setObjectName(QStringLiteral("id%1").arg(ids::ProgressBar));
    m_progress->setTextVisible(false);
    // The full int range is kept (no 16-bit cut). An empty range still shows an
    // empty bar: a 0..0 QProgressBar would turn into a busy indicator.
    m_progress->setRange(0, std::max(m_nRange, 1));
    m_progress->setValue(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_progress);
    setMinimumWidth(320);
    setModal(false);
    setWindowTitle(title);

    show();
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QRect frame = frameGeometry();
        move(area.x() + (area.width() - frame.width()) / 2,
             area.y() + (area.height() - frame.height()) / 2);
    }
    repaint();
    PaintNow();
}

void CDlgProgress::Step()
{
    m_progress->setValue(std::min(m_progress->value() + 1, m_progress->maximum()));
    PaintNow();
}

void CDlgProgress::PaintNow()
{
    // Paint, but take no clicks or keys: the caller is in the middle of its
    // work, and a command started now would run inside it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CDlgProgress::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

int CDlgProgress::Position() const
{
    return m_progress->value();
}
