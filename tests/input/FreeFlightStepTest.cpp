// FreeFlightStep against worked figures, with the devices replaced by fakes.
#include <gtest/gtest.h>

#include <cmath>

#include "data/SharedState.h"
#include "input/FreeFlightStep.h"
#include "input/InputDevices.h"
#include "tests/input/FakeInputDevice.h"

namespace {

enum { EX = 0, EY, EZ, TX, TY, TZ, DX, DY, DZ, YAW, PITCH };

class FreeFlightStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard = new FakeInputDevice();
        mouse = new FakeInputDevice();
        inputDevices = InputDevices();
        inputDevices.keyboard = keyboard;
        inputDevices.mouse = mouse;
        ResetPose();
    }
    void ResetPose() {
        for (float& value : CameraPose) value = 0.0f;
        CameraPose[EX] = 5.0f;
        CameraPose[EY] = 10.0f;
        CameraPose[EZ] = -3.0f;
        RunState = 2;
        MoveSpeed = 1.0f;
        MouseSensitivity = 0.01f;
    }
    void TearDown() override {
        inputDevices.Close();
        RunState = 2;
    }

    void Hold(int key) { keyboard->state[key] = 0x80; }

    void ExpectEyeMoved(double dx, double dy, double dz) {
        EXPECT_NEAR(CameraPose[EX], 5.0 + dx, 1e-5);
        EXPECT_NEAR(CameraPose[EY], 10.0 + dy, 1e-5);
        EXPECT_NEAR(CameraPose[EZ], -3.0 + dz, 1e-5);
    }

    void ExpectTargetOneUnitAhead() {
        double yaw = CameraPose[YAW], pitch = CameraPose[PITCH];
        EXPECT_NEAR(CameraPose[TX] - CameraPose[EX], std::cos(pitch) * std::sin(yaw), 1e-6);
        EXPECT_NEAR(CameraPose[TY] - CameraPose[EY], std::sin(pitch), 1e-6);
        EXPECT_NEAR(CameraPose[TZ] - CameraPose[EZ], std::cos(pitch) * std::cos(yaw), 1e-6);
    }

    FakeInputDevice* keyboard = nullptr;
    FakeInputDevice* mouse = nullptr;
};

TEST_F(FreeFlightStepTest, ForwardAndBackwardFollowTheYawOnly) {
    MoveSpeed = 2.0f;
    Hold(KEY_UP);
    Hold(KEY_A);  // the arrow's higher code wins
    FreeFlightStep();
    ExpectEyeMoved(0.0, 0.0, 2.0);
    EXPECT_FLOAT_EQ(CameraPose[TX], CameraPose[EX]);
    EXPECT_FLOAT_EQ(CameraPose[TY], CameraPose[EY]);
    EXPECT_FLOAT_EQ(CameraPose[TZ], CameraPose[EZ] + 1.0f);

    keyboard->state[KEY_UP] = 0;
    keyboard->state[KEY_A] = 0;
    Hold(KEY_DOWN);
    CameraPose[YAW] = 0.5f;
    CameraPose[PITCH] = 1.0f;  // pitched up: backward still keeps the height
    FreeFlightStep();
    ExpectEyeMoved(-2.0 * std::sin(0.5f), 0.0, 2.0 - 2.0 * std::cos(0.5f));
    ExpectTargetOneUnitAhead();
}

TEST_F(FreeFlightStepTest, StrafesTurnByOnePointSixRadiansAndBothSubtract) {
    Hold(KEY_RIGHT);
    FreeFlightStep();
    ExpectEyeMoved(-std::sin(-1.6), 0.0, -std::cos(-1.6));
    EXPECT_NEAR(CameraPose[EX] - 5.0, 0.9996, 1e-4);
    EXPECT_NEAR(CameraPose[EZ] + 3.0, 0.0292, 1e-4);

    ResetPose();
    keyboard->state[KEY_RIGHT] = 0;
    Hold(KEY_LEFT);
    FreeFlightStep();
    ExpectEyeMoved(-std::sin(1.6), 0.0, -std::cos(1.6));
    EXPECT_NEAR(CameraPose[EX] - 5.0, -0.9996, 1e-4);
    EXPECT_NEAR(CameraPose[EZ] + 3.0, 0.0292, 1e-4);
}

TEST_F(FreeFlightStepTest, AAndZRaiseAndLowerByHalfTheSpeed) {
    MoveSpeed = 3.0f;
    Hold(KEY_A);
    FreeFlightStep();
    ExpectEyeMoved(0.0, 1.5, 0.0);
    keyboard->state[KEY_A] = 0;
    Hold(KEY_Z);
    FreeFlightStep();
    FreeFlightStep();
    ExpectEyeMoved(0.0, -1.5, 0.0);
}

TEST_F(FreeFlightStepTest, MouseTurnsAndEscapeStillTurns) {
    mouse->SetMouse(10, -5, 0, 0, 0, 0);
    Hold(KEY_ESCAPE);
    FreeFlightStep();
    EXPECT_EQ(RunState, 0);
    EXPECT_NEAR(CameraPose[YAW], 0.1, 1e-7);
    EXPECT_NEAR(CameraPose[PITCH], 0.05, 1e-7);
    ExpectEyeMoved(0.0, 0.0, 0.0);
    ExpectTargetOneUnitAhead();
}

TEST_F(FreeFlightStepTest, FailedMouseReadAppliesTheLastTurnAgain) {
    mouse->SetMouse(10, 0, 0, 0, 0, 0);
    FreeFlightStep();
    mouse->readResult = DIERR_INPUTLOST;
    FreeFlightStep();
    EXPECT_NEAR(CameraPose[YAW], 0.2, 1e-6);
}

TEST_F(FreeFlightStepTest, NothingHeldKeepsThePoseAndRecomputesTheTarget) {
    CameraPose[YAW] = 1.0f;
    CameraPose[PITCH] = -0.25f;
    CameraPose[TX] = 99.0f;  // as a camera path would have left it
    FreeFlightStep();
    ExpectEyeMoved(0.0, 0.0, 0.0);
    EXPECT_FLOAT_EQ(CameraPose[YAW], 1.0f);
    EXPECT_FLOAT_EQ(CameraPose[PITCH], -0.25f);
    ExpectTargetOneUnitAhead();
    EXPECT_EQ(CameraPose[DX], 0.0f);  // the direction vector is left alone
}

TEST_F(FreeFlightStepTest, ZeroSpeedAndSensitivityMoveNothing) {
    MoveSpeed = 0.0f;
    MouseSensitivity = 0.0f;
    mouse->SetMouse(50, 50, 0, 0, 0, 0);
    Hold(KEY_UP);
    FreeFlightStep();
    ExpectEyeMoved(0.0, 0.0, 0.0);
    EXPECT_EQ(CameraPose[YAW], 0.0f);
    EXPECT_EQ(CameraPose[PITCH], 0.0f);
    EXPECT_EQ(RunState, 2);
}

}  // namespace
