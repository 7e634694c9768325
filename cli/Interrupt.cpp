#include "Interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnInterrupt(int signal)
{
    g_signal = signal;
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

tomelens::core::ProgressCallback CommandProgress(ProgressBar& bar)
{
    return [&bar](const tomelens::core::Progress& progress) {
        if (bar.Enabled())
            bar.Show(progress.entriesDone, progress.entriesTotal, progress.current);
        return !Interrupted();
    };
}
