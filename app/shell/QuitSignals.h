#pragma once

#include <QObject>

class CMainFrame;
class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C) end the
// program the way closing its window does: the question about unsaved work
// is asked, and the viewed entries' files are removed on the way out. The
// handler only writes a byte to a pipe; the window is closed from the event
// loop. Nothing happens on systems without these signals.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(CMainFrame& frame);
    ~QuitSignals() override;

private:
    void OnSignal();
    // Closes the window once no dialog or long work is in the way.
    void CloseWhenFree();

    CMainFrame& m_frame;
    QSocketNotifier* m_pNotifier = nullptr;
    bool m_bPending = false;
};
