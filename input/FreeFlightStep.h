// Free flight: one step of the camera pose from the keyboard and the mouse.
#pragma once

// Polls the keyboard and mouse, applies at most one key action (the highest
// key code held), turns by the mouse and puts the target one unit ahead of the
// eye. Escape sets RunState to 0. Call once per frame, devices started.
void FreeFlightStep();
