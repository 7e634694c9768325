#pragma once

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
    QWidget* m_pPreviousGrabber;
};
