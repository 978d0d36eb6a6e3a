// A recorded path read back the way the viewer reads RC.DEM: a marker
// character, then six numbers, until the marker "T".
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tools/orvik-fly/PathRecorder.h"

namespace {

std::vector<std::vector<float>> ReadBack(const char* fileName, bool* ended) {
    std::vector<std::vector<float>> poses;
    std::FILE* in = std::fopen(fileName, "r");
    *ended = false;
    if (in == nullptr) return poses;
    char marker = 0;
    while (std::fscanf(in, "%c", &marker) == 1) {
        if (marker == 'T') {
            *ended = true;
            break;
        }
        std::vector<float> pose(6);
        if (std::fscanf(in, "%f %f %f %f %f %f\n", &pose[0], &pose[1], &pose[2], &pose[3], &pose[4], &pose[5]) != 6)
            break;
        poses.push_back(pose);
    }
    std::fclose(in);
    return poses;
}

TEST(PathRecorder, FlownPosesReadBackExactlyAndEndWithT) {
    std::string file = (std::filesystem::temp_directory_path() / "orvik-path-recorder-test.dem").string();
    const std::vector<std::vector<float>> flown = {
        {0.0f, 100.0f, 0.0f, 0.0f, 99.0f, 1.0f},
        {0.1f, -1e-7f, 123456.789f, FLT_MAX, -FLT_MIN, 1.0f / 3.0f},
        {-2.5f, 7e20f, 0.999999f, 16777217.0f, -0.0f, 3.14159265f},
    };
    PathRecorder recorder;
    ASSERT_TRUE(recorder.Open(file.c_str()));
    for (const auto& pose : flown) recorder.WritePose(pose.data());
    ASSERT_TRUE(recorder.Close());

    bool ended = false;
    std::vector<std::vector<float>> read = ReadBack(file.c_str(), &ended);
    EXPECT_TRUE(ended);
    ASSERT_EQ(read.size(), flown.size());
    for (size_t i = 0; i < flown.size(); ++i)
        for (int j = 0; j < 6; ++j) EXPECT_EQ(read[i][j], flown[i][j]) << i << "," << j;
    std::filesystem::remove(file);
}

TEST(PathRecorder, NonNumbersAreWrittenAsZeroAndAnEmptyFlightIsJustT) {
    std::string file = (std::filesystem::temp_directory_path() / "orvik-path-recorder-nan.dem").string();
    PathRecorder recorder;
    ASSERT_TRUE(recorder.Open(file.c_str()));
    ASSERT_TRUE(recorder.Close());
    bool ended = false;
    EXPECT_TRUE(ReadBack(file.c_str(), &ended).empty());
    EXPECT_TRUE(ended);

    ASSERT_TRUE(recorder.Open(file.c_str()));
    const float pose[6] = {NAN, INFINITY, 1.0f, 2.0f, 3.0f, -INFINITY};
    recorder.WritePose(pose);
    ASSERT_TRUE(recorder.Close());
    std::vector<std::vector<float>> read = ReadBack(file.c_str(), &ended);
    EXPECT_TRUE(ended);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], (std::vector<float>{0.0f, 0.0f, 1.0f, 2.0f, 3.0f, 0.0f}));
    std::filesystem::remove(file);

    PathRecorder unopened;
    EXPECT_FALSE(unopened.Open("/nonexistent-directory/x.dem"));
    unopened.WritePose(pose);
    EXPECT_FALSE(unopened.Close());
}

}  // namespace
