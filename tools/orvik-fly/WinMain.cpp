// orvik-fly: starts like the viewer from DATA.MBP, then flies the camera by
// keyboard and mouse instead of following the camera path, and can record the
// flight as a camera path.
#include <cstdio>
#include <string>

#include "platform/win32/windows.h"
#include "shell/ViewerSession.h"
#include "tools/orvik-fly/FlightRecording.h"
#include "tools/orvik-fly/FlyCommandLine.h"
#include "tools/orvik-fly/FlyFrames.h"

namespace {

const char* const kUsage =
    "usage: orvik-fly [--record FILE]\n"
    "\n"
    "Flies through the level of DATA.MBP in the working directory. Start-up is the\n"
    "viewer's; then the up and down arrows walk, the left and right arrows strafe,\n"
    "A and Z raise and lower the eye, the mouse turns the view, and Escape or\n"
    "closing the window ends the flight.\n"
    "--record FILE  writes every pose shown as a camera path in the RC.DEM format,\n"
    "               ended by \"T\" (FILE is the rest of the command line)\n"
    "--help         shows this text\n"
    "\n"
    "Exit codes: 0 done, 1 the level could not be started, 2 bad command line or\n"
    "record file, 3 the recording could not be completed.\n";

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "orvik-fly: %s\n", message.c_str());
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    FlyCommandLine commandLine;
    if (!commandLine.Parse(lpCmdLine)) return Fail(2, commandLine.error + " (see --help)");
    if (commandLine.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    FlightRecording recording;
    const bool recordingAsked = !commandLine.recordFile.empty();
    std::string error;
    // The file is checked before the flight, so that no flight is lost to it.
    if (recordingAsked && !recording.Begin(commandLine.recordFile, &error)) return Fail(2, error);

    char noCommand[] = "";
    int exitCode = 0;
    if (!StartViewer(hInstance, hPrevInstance, noCommand, nCmdShow, &exitCode)) {
        recording.Discard();
        return exitCode;
    }
    FlyFrames(recordingAsked ? &recording.recorder : nullptr, 0);
    ShutDownViewer();

    if (recordingAsked && !recording.Finish(&error)) return Fail(3, error);
    return 0;
}
