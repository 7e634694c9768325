#pragma once

#include <string>

// Keeps a save's temporary file from outliving an interrupted process: while
// a path is armed, SIGINT, SIGTERM and SIGHUP first unlink it and then take
// their usual course (the handler installed before is called, or the process
// dies as it would have). The handlers are installed while at least one path
// of the process is armed and the earlier ones put back after the last.
// Several threads may each arm a path of their own. POSIX only.
namespace tomelens::archive {

class InterruptCleanup {
public:
    InterruptCleanup() = default;
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
    ~InterruptCleanup() { Disarm(); }

    // From now on a termination signal unlinks `path` (replacing an earlier
    // one). Without a free place (very many saves at once) the path goes
    // unguarded; a later save's sweep of dead writers' files removes it.
    void Arm(const std::string& path);
    // The path is no longer the signal's to remove.
    void Disarm();

private:
    int m_slot = -1;
};

}  // namespace tomelens::archive
