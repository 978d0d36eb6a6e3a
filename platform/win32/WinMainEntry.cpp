// The process entry: hands WinMain the command line after the program name,
// the arguments joined by single blanks, as Windows passes it.
#include <SDL.h>

#include <string>

#include "platform/win32/SignalRelay.h"
#include "platform/win32/windows.h"
#ifdef __EMSCRIPTEN__
#include "platform/win32/web/WebPage.h"
#endif

int main(int argc, char** argv) {
    InstallSignalRelay();
    // The layer turns signals into close requests itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
    SDL_Quit();
#ifdef __EMSCRIPTEN__
    // A main that has waited for the browser returns to nobody: the page is
    // told the code instead.
    WebReportExit(code);
#endif
    return code;
}
