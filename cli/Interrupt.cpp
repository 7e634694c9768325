#include "Interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signal = 0;
volatile std::sig_atomic_t g_endAtOnce = 0;

void EndBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

extern "C" void OnInterrupt(int signal)
{
    g_signal = signal;
    if (g_endAtOnce)
        EndBySignal(signal);
}

}  // namespace

void InstallInterruptHandlers()
{
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

bool Interrupted()
{
    return g_signal != 0;
}

int InterruptSignal()
{
    return g_signal;
}

EndAtOnceOnInterrupt::EndAtOnceOnInterrupt()
{
    g_endAtOnce = 1;
    if (g_signal)
        EndBySignal(g_signal);
}

EndAtOnceOnInterrupt::~EndAtOnceOnInterrupt()
{
    g_endAtOnce = 0;
}

tomelens::core::ProgressCallback CommandProgress(ProgressBar& bar)
{
    return [&bar](const tomelens::core::Progress& progress) {
        if (bar.Enabled())
            bar.Show(progress.entriesDone, progress.entriesTotal, progress.current);
        return !Interrupted();
    };
}
