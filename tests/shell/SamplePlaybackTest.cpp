// Whole levels played by the viewer program, headless, with their frames kept.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"
#include "tools/orvik-sample/ImageWriters.h"

namespace {

struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

bool ReadPng(const std::string& path, Frame* frame) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    frame->width = static_cast<int>(image.width);
    frame->height = static_cast<int>(image.height);
    frame->rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, frame->rgba.data(), 0, nullptr) != 0;
}

class SamplePlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        work_ = root_.Path() + "/work";
        frames_ = root_.Path() + "/frames";
        ASSERT_EQ(::mkdir(work_.c_str(), 0700), 0);
        ASSERT_EQ(::mkdir(frames_.c_str(), 0700), 0);
    }
    ChildRun Play(const char* closeAfterFrames = "0") {
        ChildOptions options;
        options.workDir = work_;
        options.env = {{"SDL_VIDEODRIVER", "offscreen"},
                       {"SDL_AUDIODRIVER", "dummy"},
                       {"ORVIK_CAPTURE_DIR", frames_},
                       {"ORVIK_CAPTURE_EVERY", "1"},
                       {"ORVIK_CLOSE_AFTER_FRAMES", closeAfterFrames}};
        options.timeoutSeconds = 240;
        return RunChild({BuiltProgram("shell/orvik")}, options);
    }
    TempDir root_;
    std::string work_, frames_;
};

TEST_F(SamplePlaybackTest, SampleLevelPlaysToItsEndMarker) {
    const int records = 24;
    ChildOptions make;
    make.workDir = work_;
    ChildRun made = RunChild({BuiltProgram("tools/orvik-sample/orvik-sample"), "--pack", "DATA.MBP", "--records",
                              std::to_string(records)},
                             make);
    ASSERT_EQ(made.exitCode, 0) << made.output;

    ChildRun run = Play();
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    // N records and the end marker: N + 1 frames, and nothing extracted is left behind.
    EXPECT_EQ(ListDir(frames_).size(), static_cast<size_t>(records + 1));
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});

    // A frame along the path shows the textured level, not just the clear colour.
    Frame frame;
    ASSERT_TRUE(ReadPng(frames_ + "/frame-000013.png", &frame));
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.height, 600);
    std::set<uint32_t> colours;
    int background = 0;
    for (int y = 0; y < frame.height; y += 3)
        for (int x = 0; x < frame.width; x += 3) {
            const uint8_t* p = frame.At(x, y);
            colours.insert(static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2]);
            if (p[0] == 150 && p[1] == 170 && p[2] == 200) ++background;
        }
    EXPECT_GT(colours.size(), 500u);
    EXPECT_LT(background, (frame.width / 3) * (frame.height / 3) / 2);
}

TEST_F(SamplePlaybackTest, FramesFollowThePathOrTheWindow) {
    const std::string config =
        "w w 32\nh h 32\nf f POINT\nm m SOLID\nt t ENABLE\nf f DISABLE\nr r 9\ng g 9\nb b 9\nd d 0\ns s 0\nm m 0\n";
    // The end marker first: one frame, with the initial pose.
    ASSERT_TRUE(WriteFile(work_ + "/DATA.MBP",
                          BuildPackage({{"GAME.CFG", config}, {"MAP.MBM", "0 0"}, {"RC.DEM", "T"}}, PACKAGE_KEY)));
    ChildRun first = Play();
    EXPECT_EQ(first.exitCode, 0) << first.output;
    EXPECT_EQ(ListDir(frames_).size(), 1u);

    // No end marker: frames go on until the window is closed, which ends with exit code 0.
    for (const std::string& name : ListDir(frames_)) std::remove((frames_ + "/" + name).c_str());
    ASSERT_TRUE(WriteFile(work_ + "/DATA.MBP", BuildPackage({{"GAME.CFG", config},
                                                             {"MAP.MBM", "0 0"},
                                                             {"RC.DEM", "a 1 2 3 4 5 6\nb 1 2 3 4 5 7\n"}},
                                                            PACKAGE_KEY)));
    ChildRun closed = Play("7");
    EXPECT_EQ(closed.exitCode, 0) << closed.output;
    EXPECT_EQ(ListDir(frames_).size(), 7u);
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(SamplePlaybackTest, KnownTextureShowsWhereTheCameraLooks) {
    // Red on the left half of the texture, blue on the right, mapped with u along world x
    // and v down world y, on a wall at z = 0 seen from (0, 0, -10).
    Picture texture(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            if (y < 4) texture.Set(x, y, x < 4 ? 255 : 0, 0, x < 4 ? 0 : 255);
            else texture.Set(x, y, 0, 255, 0);  // the lower half is green
        }
    Bytes bmp = WriteBmp24(texture);
    std::string config =
        "w w 64\nh h 64\nf f POINT\nm m SOLID\nt t ENABLE\nf f DISABLE\nr r 0\ng g 0\nb b 0\nd d 0\ns s 0\nm m 0\n";
    std::string map = "1 WALL.BMP\n2\n"
                      "-20 20 0 20 20 0 20 -20 0 0 0 0 1 0 1 1\n"
                      "-20 20 0 20 -20 0 -20 -20 0 0 0 0 1 1 0 1\n";
    std::string path = "p 0 0 -10 0 0 0\nT\n";
    ASSERT_TRUE(WriteFile(work_ + "/DATA.MBP",
                          BuildPackage({{"GAME.CFG", config},
                                        {"MAP.MBM", map},
                                        {"RC.DEM", path},
                                        {"WALL.BMP", std::string(bmp.begin(), bmp.end())}},
                                       PACKAGE_KEY)));
    ChildRun run = Play();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(ListDir(frames_).size(), 2u);
    Frame frame;
    ASSERT_TRUE(ReadPng(frames_ + "/frame-000002.png", &frame));
    // Upright and not mirrored: red upper left, blue upper right, green below.
    auto expect = [&](int x, int y, int r, int g, int b) {
        const uint8_t* p = frame.At(x, y);
        EXPECT_EQ(p[0], r) << x << "," << y;
        EXPECT_EQ(p[1], g) << x << "," << y;
        EXPECT_EQ(p[2], b) << x << "," << y;
    };
    expect(16, 16, 255, 0, 0);
    expect(48, 16, 0, 0, 255);
    expect(16, 48, 0, 255, 0);
    expect(48, 48, 0, 255, 0);
}

}  // namespace
