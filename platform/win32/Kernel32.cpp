// The few kernel32 services outside file access.
#include <SDL.h>

#include <ctime>

#include "platform/win32/windows.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;
char moduleTag;

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    // Only the program's own module exists.
    if (moduleName != nullptr) return nullptr;
    return reinterpret_cast<HMODULE>(&moduleTag);
}

DWORD WINAPI GetLastError() { return lastError; }

void WINAPI SetLastError(DWORD error) { lastError = error; }

DWORD WINAPI GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000u + now.tv_nsec / 1000000);
}

void WINAPI Sleep(DWORD milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}
