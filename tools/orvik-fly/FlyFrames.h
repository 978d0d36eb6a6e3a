// The free-flight loop: the viewer's message pump with the camera moved by
// the keyboard and mouse instead of the camera path.
#pragma once

#include "tools/orvik-fly/PathRecorder.h"

// Pumps messages and, while RunState is 2 and no message waits, renders a
// frame and then takes one free-flight step, so each step's pose is shown by
// the next frame. Every pose that a frame will show goes to the recorder, when
// one is given: played back as a camera path, the recording shows the very
// frames flown. Ends when RunState becomes 0, at the quit message, or after
// maxFrames frames when maxFrames is above 0. Returns the frames rendered.
int FlyFrames(PathRecorder* recorder, int maxFrames);
