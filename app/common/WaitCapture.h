#pragma once

#include <QCursor>
#include <QList>
#include <QPointer>

class QWidget;

// Scoped wait state for long work: shows the wait cursor and grabs the mouse
// for the given widget; both are undone when the object goes out of scope.
class CWaitCapture {
public:
    explicit CWaitCapture(QWidget* window);
    ~CWaitCapture();
    CWaitCapture(const CWaitCapture&) = delete;
    CWaitCapture& operator=(const CWaitCapture&) = delete;

private:
    QWidget* m_pWindow;
    QPointer<QWidget> m_pPreviousGrabber;
};

// Lifts whatever mouse grab and override cursors are active while it lives
// and puts them back afterwards. Every prompt is shown under one: a dialog
// whose buttons cannot be clicked (or, on X11, a whole desktop that cannot)
// would trap the user.
class WaitSuspension {
public:
    WaitSuspension();
    ~WaitSuspension();
    WaitSuspension(const WaitSuspension&) = delete;
    WaitSuspension& operator=(const WaitSuspension&) = delete;

private:
    QPointer<QWidget> m_pGrabber;
    QList<QCursor> m_cursors;  // innermost last
};
