// Moves the eye in the horizontal plane by yaw, raises and lowers it, turns it
// by the mouse; each formula in double precision, stored as 32-bit floats.
#include "input/FreeFlightStep.h"

#include <cmath>

#include "data/SharedState.h"
#include "input/InputDevices.h"

namespace {

enum PoseIndex { EYE_X = 0, EYE_Y = 1, EYE_Z = 2, TARGET_X = 3, TARGET_Y = 4, TARGET_Z = 5, YAW = 9, PITCH = 10 };

// Both strafes turn the walking direction by this many radians and subtract.
constexpr double STRAFE_ANGLE = 1.6;

}  // namespace

void FreeFlightStep() {
    inputDevices.PollKeyboard();
    inputDevices.PollMouse();

    float* pose = CameraPose;
    const double s = MoveSpeed;
    const double m = MouseSensitivity;
    const double yaw = pose[YAW];

    switch (inputDevices.lastKey) {
    case KEY_ESCAPE:
        RunState = 0;
        break;
    case KEY_UP:
        pose[EYE_X] = static_cast<float>(pose[EYE_X] + std::sin(yaw) * s);
        pose[EYE_Z] = static_cast<float>(pose[EYE_Z] + std::cos(yaw) * s);
        break;
    case KEY_DOWN:
        pose[EYE_X] = static_cast<float>(pose[EYE_X] - std::sin(yaw) * s);
        pose[EYE_Z] = static_cast<float>(pose[EYE_Z] - std::cos(yaw) * s);
        break;
    case KEY_A:
        pose[EYE_Y] = static_cast<float>(pose[EYE_Y] + 0.5 * s);
        break;
    case KEY_Z:
        pose[EYE_Y] = static_cast<float>(pose[EYE_Y] - 0.5 * s);
        break;
    case KEY_RIGHT:
        pose[EYE_X] = static_cast<float>(pose[EYE_X] - std::sin(yaw - STRAFE_ANGLE) * s);
        pose[EYE_Z] = static_cast<float>(pose[EYE_Z] - std::cos(yaw - STRAFE_ANGLE) * s);
        break;
    case KEY_LEFT:
        pose[EYE_X] = static_cast<float>(pose[EYE_X] - std::sin(yaw + STRAFE_ANGLE) * s);
        pose[EYE_Z] = static_cast<float>(pose[EYE_Z] - std::cos(yaw + STRAFE_ANGLE) * s);
        break;
    default:
        break;
    }

    pose[PITCH] = static_cast<float>(pose[PITCH] - inputDevices.mouseDy * m);
    pose[YAW] = static_cast<float>(pose[YAW] + inputDevices.mouseDx * m);

    const double newYaw = pose[YAW];
    const double newPitch = pose[PITCH];
    pose[TARGET_X] = static_cast<float>(pose[EYE_X] + std::cos(newPitch) * std::sin(newYaw));
    pose[TARGET_Y] = static_cast<float>(pose[EYE_Y] + std::sin(newPitch));
    pose[TARGET_Z] = static_cast<float>(pose[EYE_Z] + std::cos(newPitch) * std::cos(newYaw));
}
