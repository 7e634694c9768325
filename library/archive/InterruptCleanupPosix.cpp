#include "archive/InterruptCleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace tomelens::archive {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = static_cast<int>(sizeof kSignals / sizeof kSignals[0]);
constexpr int kSlotCount = 32;

// A slot's path is written only while the slot is Claimed; the handler reads
// it only after moving the slot from Armed to Cleaning, and gives it back as
// Armed, so a path is never read while it changes.
enum SlotState : int { Free, Claimed, Armed, Cleaning };

struct Slot {
    std::atomic<int> state{Free};
    int folder = -1;
    char name[PATH_MAX];
};

Slot g_slots[kSlotCount];

std::mutex g_installLock;  // guards the two below; never taken in the handler
int g_armedCount = 0;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};

static_assert(std::atomic<int>::is_always_lock_free, "the handler may only use lock-free atomics");

int SignalIndex(int signal)
{
    for (int i = 0; i < kSignalCount; ++i)
        if (kSignals[i] == signal)
            return i;
    return -1;
}

// Runs in the signal handler: only async-signal-safe calls.
void UnlinkArmedPaths()
{
    for (Slot& slot : g_slots) {
        int expected = Armed;
        if (slot.state.compare_exchange_strong(expected, Cleaning)) {
            ::unlinkat(slot.folder, slot.name, 0);
            slot.state.store(Armed);
        }
    }
}

void OnTerminationSignal(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    UnlinkArmedPaths();
    const int index = SignalIndex(signal);
    if (index >= 0) {
        const struct sigaction& previous = g_previous[index];
        if ((previous.sa_flags & SA_SIGINFO) != 0) {
            if (previous.sa_sigaction)
                previous.sa_sigaction(signal, info, context);
        } else if (previous.sa_handler == SIG_DFL) {
            // Die as the process would have: the signal stays blocked until
            // this handler returns, and is then delivered with its default action.
            ::sigaction(signal, &previous, nullptr);
            ::raise(signal);
        } else if (previous.sa_handler != SIG_IGN) {
            previous.sa_handler(signal);
        }
    }
    errno = savedErrno;
}

bool IsOurs(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) != 0 && action.sa_sigaction == OnTerminationSignal;
}

void InstallHandlers()
{
    for (int i = 0; i < kSignalCount; ++i) {
        g_installed[i] = false;
        struct sigaction current {};
        if (::sigaction(kSignals[i], nullptr, &current) != 0)
            continue;
        // Still ours from an earlier round (another copy's handler sat on top
        // when we last let go): taking it as "the one before" would call
        // ourselves forever, so the one before stays what it was.
        if (IsOurs(current)) {
            g_installed[i] = true;
            continue;
        }
        g_previous[i] = current;
        // An ignored signal ends nothing, so there is nothing to clean up for it.
        if ((g_previous[i].sa_flags & SA_SIGINFO) == 0 && g_previous[i].sa_handler == SIG_IGN)
            continue;
        struct sigaction ours {};
        ours.sa_sigaction = OnTerminationSignal;
        ours.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&ours.sa_mask);
        g_installed[i] = ::sigaction(kSignals[i], &ours, nullptr) == 0;
    }
}

void RestoreHandlers()
{
    for (int i = 0; i < kSignalCount; ++i) {
        if (!g_installed[i])
            continue;
        struct sigaction current {};
        // Someone who installed a handler after us keeps theirs.
        if (::sigaction(kSignals[i], nullptr, &current) == 0 && IsOurs(current))
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
}

}  // namespace

void InterruptCleanup::Arm(int folder, const std::string& name)
{
    Disarm();
    if (name.size() >= PATH_MAX)
        return;
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = Free;
        if (g_slots[i].state.compare_exchange_strong(expected, Claimed)) {
            g_slots[i].folder = folder;
            std::memcpy(g_slots[i].name, name.c_str(), name.size() + 1);
            m_slot = i;
            break;
        }
    }
    if (m_slot < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(g_installLock);
        if (g_armedCount++ == 0)
            InstallHandlers();
    }
    g_slots[m_slot].state.store(Armed);
}

void InterruptCleanup::Disarm()
{
    if (m_slot < 0)
        return;
    Slot& slot = g_slots[m_slot];
    // Wait out a handler that is unlinking this path on another thread.
    for (int expected = Armed; !slot.state.compare_exchange_weak(expected, Claimed); expected = Armed) {
    }
    slot.state.store(Free);
    m_slot = -1;
    std::lock_guard<std::mutex> lock(g_installLock);
    if (--g_armedCount == 0)
        RestoreHandlers();
}

}  // namespace tomelens::archive
