#include "platform/win32/SignalRelay.h"

#include <time.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>

#include "platform/files/OwnedFiles.h"

namespace {

constexpr int64_t kRepeatWindowNs = 2'000'000'000;

volatile std::sig_atomic_t pending = 0;
// When the first request came, in CLOCK_MONOTONIC nanoseconds; 0 until then.
int64_t firstRequestNs = 0;

int64_t NowNs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void OnSignal(int signalNumber) {
    int64_t now = NowNs();
    int64_t first = 0;
    // Two threads may take signals at the same moment: one of them is first.
    if (__atomic_compare_exchange_n(&firstRequestNs, &first, now, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST)) {
        pending = 1;
        return;
    }
    if (now - first < kRepeatWindowNs) return;
    // Asked again, later: the orderly shutdown is not getting anywhere.
    ownedFiles.RemoveAllNow();
    _exit(128 + signalNumber);
}

}  // namespace

void InstallSignalRelay() {
    const int stops[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int stop : stops) sigaddset(&action.sa_mask, stop);
    action.sa_flags = SA_RESTART;
    for (int stop : stops) sigaction(stop, &action, nullptr);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

bool TakeSignalRequest() {
    if (!pending) return false;
    pending = 0;
    return true;
}
