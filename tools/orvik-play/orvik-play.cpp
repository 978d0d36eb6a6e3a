// orvik-play [PATH]: plays the level in PATH (a DATA.MBP, or a directory
// holding one; without PATH the sample level) by starting the viewer in that
// directory; says plainly, in a message box and on standard error, what is
// wrong when PATH holds no level.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/windows.h"
#include "tools/orvik-play/LaunchTarget.h"

namespace {

constexpr int EXIT_NO_LEVEL = 2;
constexpr int EXIT_NO_VIEWER = 3;

const char* const kUsage =
    "usage: orvik-play [PATH]\n"
    "\n"
    "Plays the level in PATH, a DATA.MBP or a directory holding one: starts the\n"
    "Orvik viewer in that directory, which unpacks the level there while it\n"
    "plays and removes what it unpacked when it ends. Without PATH it plays the\n"
    "sample level that comes with Orvik, copied to ~/.local/share/orvik/sample.\n"
    "Exit codes: the viewer's (0 played, 1 the level could not start), 2 PATH\n"
    "holds no level package, 3 the viewer cannot be started.\n";

int Fail(int code, const std::string& message) {
    // The platform's message box also prints the text on standard error.
    MessageBoxA(nullptr, message.c_str(), "Orvik", MB_OK | MB_ICONERROR);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc > 2) {
        std::fputs(kUsage, stderr);
        return EXIT_NO_LEVEL;
    }
    LaunchTarget target;
    std::string problem;
    bool found = argc == 2 ? FindLaunchTarget(argv[1], &target, &problem) : PrepareSampleLevel(&target, &problem);
    if (!found) return Fail(EXIT_NO_LEVEL, problem);
    std::string viewer = FindViewer();
    if (viewer.empty()) return Fail(EXIT_NO_VIEWER, "the Orvik viewer (orvik) is not installed beside orvik-play");
    if (::chdir(target.directory.c_str()) != 0)
        return Fail(EXIT_NO_LEVEL, "cannot enter " + target.directory + ": " + std::strerror(errno));
    // The viewer takes the process over: its exit code and signals are the launcher's.
    char* viewerArgv[] = {const_cast<char*>("orvik"), nullptr};
    ::execv(viewer.c_str(), viewerArgv);
    return Fail(EXIT_NO_VIEWER, "cannot start " + viewer + ": " + std::strerror(errno));
}
