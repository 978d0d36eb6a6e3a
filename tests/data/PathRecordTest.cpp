// The camera path reader: frames per record, the end marker, and damaged paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/PathRecord.h"
#include "data/SharedState.h"
#include "tests/support/TestSupport.h"

namespace {

struct Pose {
    float v[6];
};

class PathRecordTest : public ::testing::Test {
protected:
    void Open(const std::string& text) {
        ASSERT_TRUE(WriteFile(dir_.File("RC.DEM"), text));
        pathFile = std::fopen(dir_.File("RC.DEM").c_str(), "r");
        ASSERT_NE(pathFile, nullptr);
        RunState = 2;
        const float initial[CAMERA_POSE_FLOATS] = {0, 100, 0, 0, 0, 0, 0, -1, 0, 0.5f, 0.25f};
        std::copy(initial, initial + CAMERA_POSE_FLOATS, CameraPose);
    }
    void TearDown() override {
        if (pathFile) std::fclose(pathFile);
        pathFile = nullptr;
    }
    // Plays the path as the loop does: one frame, then one record, until the
    // marker ends it or the frame limit is reached. Returns each frame's pose.
    std::vector<Pose> Play(int frameLimit) {
        std::vector<Pose> frames;
        while (RunState != 0 && static_cast<int>(frames.size()) < frameLimit) {
            Pose pose;
            std::copy(CameraPose, CameraPose + 6, pose.v);
            frames.push_back(pose);
            ReadPathRecord();
        }
        return frames;
    }
    TempDir dir_;
};

TEST_F(PathRecordTest, EndMarkerFirstGivesOneFrameOfTheInitialPose) {
    Open("T 1 2 3 4 5 6\n");
    std::vector<Pose> frames = Play(10);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].v[1], 100.0f);
    EXPECT_EQ(RunState, 0);
}

TEST_F(PathRecordTest, NRecordsGiveNPlusOneFramesWhateverTheLayout) {
    const char* layouts[] = {
        "a 1 2 3 4 5 6\nb -1.5e1 2 3 4 5 6\nc 7 8 9 10 11 12\nT\n",
        "a\t1\n2\n3\n4\n5\n6\nb -15 2 3 4 5 6 c 7 8 9 10 11 12 T garbage that is never read",
        // A lower-case t is an ordinary marker; the first marker may be white space.
        " 1 2 3 4 5 6\nt -15 2 3 4 5 6\nc 7 8 9 10 11 12\nT",
    };
    for (const char* text : layouts) {
        Open(text);
        std::vector<Pose> frames = Play(10);
        ASSERT_EQ(frames.size(), 4u) << text;
        EXPECT_EQ(frames[1].v[0], 1.0f);
        EXPECT_EQ(frames[1].v[5], 6.0f);
        EXPECT_EQ(frames[2].v[0], -15.0f);
        EXPECT_EQ(frames[3].v[5], 12.0f);
        EXPECT_EQ(CameraPose[9], 0.5f);  // yaw and pitch are not touched
        TearDown();
    }
}

TEST_F(PathRecordTest, WithoutEndMarkerTheLastPoseHolds) {
    Open("a 1 2 3 4 5 6\n");
    std::vector<Pose> frames = Play(50);
    EXPECT_EQ(frames.size(), 50u);
    EXPECT_EQ(RunState, 2);
    EXPECT_EQ(frames.back().v[3], 4.0f);

    Open("");
    frames = Play(5);
    EXPECT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames.back().v[1], 100.0f);
}

TEST_F(PathRecordTest, NumberThatDoesNotReadStopsTheRecord) {
    // After "9 9" the T becomes the next marker and ends playback.
    Open("a 9 9 T 4 5 6\n");
    std::vector<Pose> frames = Play(10);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].v[0], 9.0f);
    EXPECT_EQ(frames[1].v[1], 9.0f);
    EXPECT_EQ(frames[1].v[2], 0.0f);  // kept from the initial pose
    EXPECT_EQ(RunState, 0);
}

TEST_F(PathRecordTest, NumbersAreDecimalOnly) {
    // "-0x14" is -0 and the "x" is the next marker; "14 5 6" fill the next
    // record until the "T" that ends it becomes the marker after.
    Open("p 1 2 -0x14 5 6\nT");
    std::vector<Pose> frames = Play(10);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1].v[2], 0.0f);
    EXPECT_TRUE(std::signbit(frames[1].v[2]));
    EXPECT_EQ(frames[1].v[3], 0.0f);
    EXPECT_EQ(frames[2].v[0], 14.0f);
    EXPECT_EQ(frames[2].v[2], 6.0f);
    TearDown();

    // A bare exponent letter is not taken: "-1e" reads -1 and "e" is the next marker.
    Open("p 1 2 -1e 4 5 6 7\nq 8 9 1e+ 2 3 4 5\nT");
    frames = Play(10);
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[1].v[2], -1.0f);
    EXPECT_EQ(frames[1].v[3], 0.0f);
    EXPECT_EQ(frames[2].v[0], 4.0f);
    EXPECT_EQ(frames[2].v[3], 7.0f);
    EXPECT_EQ(frames[3].v[2], 1.0f);  // "1e+" reads 1 and leaves "e+"
    EXPECT_EQ(frames[3].v[3], 7.0f);
    // After the marker "e", the "+" with no digit reads nothing and is gone;
    // the blank after it is the next marker.
    EXPECT_EQ(frames[4].v[0], 8.0f);
    EXPECT_EQ(frames[5].v[0], 2.0f);
    EXPECT_EQ(frames[5].v[3], 5.0f);
    TearDown();

    // "inf" is no number either: "i", "n" and "f" become markers in turn.
    Open("p 1 inf 3 4 5 6\nT");
    frames = Play(10);
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[1].v[0], 1.0f);
    EXPECT_EQ(frames[1].v[1], 100.0f);
    EXPECT_EQ(frames[3].v[0], 1.0f);
    EXPECT_EQ(frames[4].v[0], 3.0f);
    EXPECT_EQ(frames[4].v[3], 6.0f);
}

TEST_F(PathRecordTest, NoPathFileReadsNothing) {
    pathFile = nullptr;
    RunState = 2;
    ReadPathRecord();
    EXPECT_EQ(RunState, 2);
}

}  // namespace
