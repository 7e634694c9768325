#pragma once

#include <string>

// Keeps a save's temporary file from outliving an interrupted process: while
// a name is armed, SIGINT, SIGTERM and SIGHUP first unlink it and then take
// their usual course (the handler installed before is called, or the process
// dies as it would have). The handlers are installed while at least one name
// of this copy of the writer is armed and the earlier ones put back after the
// last, unless someone installed theirs on top meanwhile; the library's copy
// and the program's chain in whatever order they were installed. Several
// threads may each arm a name of their own. POSIX only.
namespace tomelens::archive {

class InterruptCleanup {
public:
    InterruptCleanup() = default;
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
    ~InterruptCleanup() { Disarm(); }

    // From now on a termination signal unlinks `name` in the open `folder`
    // (replacing an earlier one); the folder must stay open while armed.
    // Without a free place (very many saves at once) the name goes
    // unguarded; a later save's sweep of dead writers' files removes it.
    void Arm(int folder, const std::string& name);
    // The name is no longer the signal's to remove.
    void Disarm();

private:
    int m_slot = -1;
};

}  // namespace tomelens::archive
