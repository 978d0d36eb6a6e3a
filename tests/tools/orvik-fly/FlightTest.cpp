// The flight loop in-process on the sample level, driven by injected SDL
// events; its recording read back by the viewer's path reader and played by
// the viewer, frame for frame.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "data/PackageKey.h"
#include "data/PathRecord.h"
#include "data/SharedState.h"
#include "platform/win32/PlatformSettings.h"
#include "shell/ViewerSession.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"
#include "tools/orvik-fly/FlyFrames.h"
#include "tools/orvik-fly/PathRecorder.h"

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;
using Pose = std::array<float, 6>;

void PushKey(SDL_Scancode scancode, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    SDL_PushEvent(&event);
}

void PushMotion(int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
}

Pose EyeAndTarget() { return {CameraPose[0], CameraPose[1], CameraPose[2], CameraPose[3], CameraPose[4], CameraPose[5]}; }

// Reads a camera path with the viewer's own reader, record by record.
std::vector<Pose> ReadWithViewerReader(const std::string& file, bool* ended) {
    std::vector<Pose> poses;
    pathFile = std::fopen(file.c_str(), "r");
    RunState = 2;
    while (pathFile != nullptr && RunState == 2 && poses.size() < 1000) {
        ReadPathRecord();
        if (RunState == 2) poses.push_back(EyeAndTarget());
    }
    *ended = RunState == 0;
    if (pathFile != nullptr) std::fclose(pathFile);
    pathFile = nullptr;
    return poses;
}

class FlightTest : public ::testing::Test {
protected:
    void SetUp() override {
        sample_ = root_.File("sample");
        work_ = root_.File("work");
        ASSERT_EQ(::mkdir(sample_.c_str(), 0700), 0);
        ASSERT_EQ(::mkdir(work_.c_str(), 0700), 0);
        ChildOptions options;
        options.workDir = root_.Path();
        ChildRun made = RunChild({BuiltProgram("tools/orvik-sample/orvik-sample"), "--dir", sample_, "--records", "1"},
                                 options);
        ASSERT_EQ(made.exitCode, 0) << made.output;
        for (const std::string& name : ListDir(sample_)) {
            std::string bytes;
            ASSERT_TRUE(ReadFile(sample_ + "/" + name, &bytes));
            members_.push_back({name, bytes});
        }
    }

    void PackWithPath(const std::string& path) {
        Members members = members_;
        for (auto& member : members)
            if (member.first == "RC.DEM") member.second = path;
        ASSERT_TRUE(WriteFile(work_ + "/DATA.MBP", BuildPackage(members, PACKAGE_KEY)));
    }

    TempDir root_;
    std::string sample_;
    std::string work_;
    Members members_;
};

TEST_F(FlightTest, KeysAndMouseFlyAndTheRecordingReplaysTheFramesFlown) {
    PackWithPath("T\n");
    const std::string flyFrames = root_.File("fly-frames");
    const std::string viewFrames = root_.File("view-frames");
    const std::string flown = root_.File("flown.dem");
    ASSERT_EQ(::mkdir(flyFrames.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(viewFrames.c_str(), 0700), 0);
    setenv("ORVIK_CAPTURE_DIR", flyFrames.c_str(), 1);
    PlatformReloadSettings();

    char original[4096];
    ASSERT_NE(::getcwd(original, sizeof original), nullptr);
    ASSERT_EQ(::chdir(work_.c_str()), 0);
    char noCommand[] = "";
    int exitCode = -1;
    ASSERT_TRUE(StartViewer(GetModuleHandleA(nullptr), nullptr, noCommand, SW_SHOWDEFAULT, &exitCode));
    PathRecorder recorder;
    ASSERT_TRUE(recorder.Open(flown.c_str()));
    const float speed = MoveSpeed;
    const float sensitivity = MouseSensitivity;
    ASSERT_GT(speed, 0.0f);
    ASSERT_GT(sensitivity, 0.0f);

    // Forward, turning right by the mouse in the first step.
    PushKey(SDL_SCANCODE_UP, true);
    PushMotion(20, 0);
    EXPECT_EQ(FlyFrames(&recorder, 3), 3);
    const Pose walked = EyeAndTarget();
    EXPECT_FLOAT_EQ(CameraPose[9], static_cast<float>(20 * static_cast<double>(sensitivity)));
    EXPECT_EQ(walked[1], 100.0f);
    EXPECT_GT(walked[0], 0.0f);
    EXPECT_NEAR(walked[2], speed * (1 + 2 * std::cos(CameraPose[9])), 1e-4);

    // Up: only the height changes.
    PushKey(SDL_SCANCODE_UP, false);
    PushKey(SDL_SCANCODE_A, true);
    EXPECT_EQ(FlyFrames(&recorder, 2), 2);
    const Pose lifted = EyeAndTarget();
    EXPECT_EQ(lifted[0], walked[0]);
    EXPECT_EQ(lifted[2], walked[2]);
    EXPECT_FLOAT_EQ(lifted[1], 100.0f + 2 * 0.5f * speed);

    // Escape ends the flight after the frame it was pressed in.
    PushKey(SDL_SCANCODE_A, false);
    PushKey(SDL_SCANCODE_ESCAPE, true);
    EXPECT_EQ(FlyFrames(&recorder, 0), 1);
    EXPECT_EQ(RunState, 0);
    ShutDownViewer();
    ASSERT_TRUE(recorder.Close());
    ASSERT_EQ(::chdir(original), 0);
    unsetenv("ORVIK_CAPTURE_DIR");  // not for the programs started later
    PlatformReloadSettings();
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});

    // Every shown pose after the first, exactly, then the end marker.
    bool ended = false;
    std::vector<Pose> read = ReadWithViewerReader(flown, &ended);
    EXPECT_TRUE(ended);
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(read[2], walked);
    EXPECT_EQ(read[4], lifted);

    // The viewer, playing the recording, shows the frames that were flown.
    std::string path;
    ASSERT_TRUE(ReadFile(flown, &path));
    PackWithPath(path);
    ChildOptions options;
    options.workDir = work_;
    options.env = {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "dummy"}, {"ORVIK_CAPTURE_DIR", viewFrames}};
    options.timeoutSeconds = 120;
    ChildRun played = RunChild({BuiltProgram("shell/orvik")}, options);
    ASSERT_EQ(played.exitCode, 0) << played.output;
    std::vector<std::string> flownNames = ListDir(flyFrames);
    std::vector<std::string> playedNames = ListDir(viewFrames);
    ASSERT_EQ(flownNames.size(), 6u);
    ASSERT_EQ(playedNames.size(), flownNames.size());
    std::string first, last;
    for (size_t i = 0; i < flownNames.size(); ++i) {
        std::string a, b;
        ASSERT_TRUE(ReadFile(flyFrames + "/" + flownNames[i], &a));
        ASSERT_TRUE(ReadFile(viewFrames + "/" + playedNames[i], &b));
        EXPECT_TRUE(a == b) << "frame " << i << " differs";
        if (i == 0) first = a;
        last = a;
    }
    EXPECT_NE(first, last);  // the flight did move the view
}

}  // namespace
