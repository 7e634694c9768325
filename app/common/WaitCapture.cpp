#include "common/WaitCapture.h"

#include <QApplication>
#include <QWidget>

CWaitCapture::CWaitCapture(QWidget* window)
    : m_pWindow(window), m_pPreviousGrabber(QWidget::mouseGrabber())
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_pWindow)
        m_pWindow->grabMouse();
}

CWaitCapture::~CWaitCapture()
{
    if (m_pWindow)
        m_pWindow->releaseMouse();
    // A capture nested in another one hands the grab back, also when both
    // grab the same window.
    if (m_pPreviousGrabber)
        m_pPreviousGrabber->grabMouse();
    QApplication::restoreOverrideCursor();
}

WaitSuspension::WaitSuspension() : m_pGrabber(QWidget::mouseGrabber())
{
    if (m_pGrabber)
        m_pGrabber->releaseMouse();
    while (const QCursor* cursor = QGuiApplication::overrideCursor()) {
        m_cursors.prepend(*cursor);
        QGuiApplication::restoreOverrideCursor();
    }
}

WaitSuspension::~WaitSuspension()
{
    for (const QCursor& cursor : m_cursors)
        QGuiApplication::setOverrideCursor(cursor);
    if (m_pGrabber && !QWidget::mouseGrabber())
        m_pGrabber->grabMouse();
}
