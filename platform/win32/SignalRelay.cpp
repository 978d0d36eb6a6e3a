#include "platform/win32/SignalRelay.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t pending = 0;

void OnSignal(int signalNumber) {
    if (pending) {
        // Asked twice: the program is not getting to its message loop.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    pending = 1;
}

}  // namespace

void InstallSignalRelay() {
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool TakeSignalRequest() {
    if (!pending) return false;
    pending = 0;
    return true;
}
