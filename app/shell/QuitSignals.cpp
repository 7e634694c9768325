#include "shell/QuitSignals.h"

#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"

#include <QApplication>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

void OnQuitSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(CMainFrame& frame) : m_frame(frame)
{
    if (g_pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    m_pNotifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &QuitSignals::OnSignal);
    for (const int signal : kQuitSignals) {
        struct sigaction action {};
        action.sa_handler = OnQuitSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

QuitSignals::~QuitSignals()
{
    if (!m_pNotifier)
        return;
    for (const int signal : kQuitSignals)
        ::signal(signal, SIG_DFL);
    delete m_pNotifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void QuitSignals::OnSignal()
{
    char bytes[64];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (!m_bPending) {
        m_bPending = true;
        CloseWhenFree();
    }
}

#else

QuitSignals::QuitSignals(CMainFrame& frame) : m_frame(frame) {}
QuitSignals::~QuitSignals() = default;
void QuitSignals::OnSignal() {}

#endif

void QuitSignals::CloseWhenFree()
{
    // A dialog or a save in progress finishes first; the close question
    // must not land in the middle of either.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || m_frame.View()->Archive().IsBusy()) {
        QTimer::singleShot(200, this, &QuitSignals::CloseWhenFree);
        return;
    }
    m_bPending = false;
    m_frame.close();
}
