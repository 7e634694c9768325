#pragma once

#include "ProgressBar.h"
#include "engine/Progress.h"

// Ctrl-C (SIGINT) and SIGTERM ask the running command to stop the way Cancel
// does in the window: the engine finishes cleanly (nothing half-written) and
// the command reports how far it got. main then ends the process by the same
// signal, so a calling script sees the interruption.
void InstallInterruptHandlers();
bool Interrupted();
// The signal that interrupted, or 0.
int InterruptSignal();

// While one lives, an interruption ends the process at once: for waits that
// cannot be cancelled (a list read from the terminal) before anything changed.
class EndAtOnceOnInterrupt {
public:
    EndAtOnceOnInterrupt();
    ~EndAtOnceOnInterrupt();
    EndAtOnceOnInterrupt(const EndAtOnceOnInterrupt&) = delete;
    EndAtOnceOnInterrupt& operator=(const EndAtOnceOnInterrupt&) = delete;
};

// The engine's progress callback for a command: moves the bar (when it is
// drawn) and says stop once interrupted.
tomelens::core::ProgressCallback CommandProgress(ProgressBar& bar);
