// GAME.CFG read into a real device: every setting's effect, and the files
// that break the rules.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/SharedState.h"
#include "data/ViewerConfig.h"
#include "platform/d3d8/D3D8Testing.h"
#include "render/Camera.h"
#include "render/Renderer.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestWindow.h"

namespace {

std::string Settings(const std::vector<std::string>& values) {
    std::string text;
    for (const std::string& value : values) text += "any words " + value + "\n";
    return text;
}

DWORD FloatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

class ViewerConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
        window_ = ShowTestWindow();
        ASSERT_NE(window_, nullptr);
        renderer = Renderer();
        camera = Camera();
        std::memset(CameraPose, 0, sizeof CameraPose);
        MoveSpeed = MouseSensitivity = -1.0f;
    }
    void TearDown() override {
        if (renderer.device) renderer.Release();
        ASSERT_EQ(chdir(oldDir_), 0);
    }
    ViewerConfigResult Read(const std::string& text) {
        EXPECT_TRUE(WriteFile(dir_.File("GAME.CFG"), text));
        return ReadViewerConfig(window_);
    }
    DWORD RenderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        renderer.device->GetRenderState(state, &value);
        return value;
    }
    DWORD StageState(D3DTEXTURESTAGESTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        renderer.device->GetTextureStageState(0, state, &value);
        return value;
    }
    void ExpectBackBuffer(UINT width, UINT height) {
        std::vector<unsigned char> rgba;
        UINT w = 0, h = 0;
        ASSERT_TRUE(D3D8ReadBackBuffer(renderer.device, rgba, w, h));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
    }

    // Draws the ground seen from 100 units off, as the playback does with no
    // texture, and gives the pixel at the centre of the frame.
    D3DCOLOR CenterOfFrame() {
        struct GroundVertex {
            float x, y, z, u, v;
        };
        const GroundVertex ground[6] = {{-500, 0, -500, 0, 0}, {500, 0, -500, 1, 0}, {-500, 0, 500, 0, 1},
                                        {500, 0, -500, 1, 0},  {500, 0, 500, 1, 1},  {-500, 0, 500, 0, 1}};
        renderer.BeginFrame();
        const float pose[6] = {0, 60, -80, 0, 0, 0};
        camera.Update(pose, 1000.0f);
        renderer.device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
        renderer.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, ground, sizeof(GroundVertex));
        renderer.device->EndScene();
        std::vector<unsigned char> rgba;
        UINT w = 0, h = 0;
        if (!D3D8ReadBackBuffer(renderer.device, rgba, w, h) || w == 0) return 0;
        const unsigned char* p = &rgba[(h / 2 * w + w / 2) * 4];
        return static_cast<D3DCOLOR>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
    }

    TempDir dir_;
    char oldDir_[4096];
    HWND window_ = nullptr;
};

TEST_F(ViewerConfigTest, EverySettingReachesItsPlace) {
    ASSERT_EQ(Read(Settings({"800", "600", "LINEAR", "SOLID", "ENABLE", "ENABLE", "0", "0", "64", "0.002", "1.5",
                             "0.25"})),
              ViewerConfigResult::Applied);
    EXPECT_EQ(ScreenSize[0], 800);
    EXPECT_EQ(ScreenSize[1], 600);
    ExpectBackBuffer(800, 600);
    EXPECT_EQ(StageState(D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(StageState(D3DTSS_COLORARG1), static_cast<DWORD>(D3DTA_TEXTURE));
    EXPECT_EQ(StageState(D3DTSS_COLORARG2), static_cast<DWORD>(D3DTA_DIFFUSE));
    EXPECT_EQ(StageState(D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_DISABLE));
    EXPECT_EQ(StageState(D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(D3DTSS_MAGFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(RenderState(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
    EXPECT_EQ(renderer.texturingEnabled, 1);
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0x00000040u);
    EXPECT_EQ(RenderState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_EXP));
    EXPECT_EQ(RenderState(D3DRS_FOGDENSITY), FloatBits(0.002f));
    EXPECT_EQ(renderer.clearRed, 0);
    EXPECT_EQ(renderer.clearBlue, 64);
    EXPECT_EQ(MoveSpeed, 1.5f);
    EXPECT_EQ(MouseSensitivity, 0.25f);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(renderer.zEnabled, 1);
    const float pose[CAMERA_POSE_FLOATS] = {0, 100, 0, 0, 0, 0, 0, -1, 0, 0, 0};
    for (int i = 0; i < CAMERA_POSE_FLOATS; ++i) EXPECT_EQ(CameraPose[i], pose[i]) << i;
    EXPECT_EQ(camera.renderer, &renderer);
}

TEST_F(ViewerConfigTest, UnknownKeywordsLeaveTheDeviceDefaults) {
    ASSERT_EQ(Read(Settings({"320", "200", "linear", "SOLIDS", "yes", "DISABLE", "300", "-1", "256", "0.5", "0",
                             "0"})),
              ViewerConfigResult::Applied);
    // No stage state was set: the second colour argument keeps its default.
    EXPECT_EQ(StageState(D3DTSS_COLORARG2), static_cast<DWORD>(D3DTA_CURRENT));
    EXPECT_EQ(StageState(D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(RenderState(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
    EXPECT_EQ(renderer.texturingEnabled, 0);
    // Fog off, yet its colour, mode and density are set; colours keep their low 8 bits.
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), 0u);
    EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0x002CFF00u);
    EXPECT_EQ(RenderState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_EXP));
    EXPECT_EQ(RenderState(D3DRS_FOGDENSITY), FloatBits(0.5f));
    EXPECT_EQ(renderer.clearRed, 300);
    EXPECT_EQ(renderer.clearGreen, -1);
}

TEST_F(ViewerConfigTest, FogSwitchOtherThanTheKeywordsIsOn) {
    // Density 0.5 and the ground 100 units from the eye: fogged, it is all fog colour.
    const char* switches[] = {"Enable", "DISABLE", "ENABLE"};
    const D3DCOLOR centres[] = {0xFF000040u, 0xFFFFFFFFu, 0xFF000040u};
    for (int i = 0; i < 3; ++i) {
        if (renderer.device) renderer.Release();
        renderer = Renderer();
        ASSERT_EQ(Read(Settings({"64", "64", "POINT", "SOLID", "DISABLE", switches[i], "0", "0", "64", "0.5", "0",
                                 "0"})),
                  ViewerConfigResult::Applied);
        EXPECT_EQ(RenderState(D3DRS_FOGENABLE), i == 1 ? 0u : 1u) << switches[i];
        EXPECT_EQ(renderer.fogEnabled, i == 1 ? 0 : 1);
        EXPECT_EQ(StageState(D3DTSS_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(CenterOfFrame(), centres[i]) << switches[i];
    }
}

TEST_F(ViewerConfigTest, NumbersAreDecimalOnly) {
    // "0x10" reads 0 and leaves "x10", which becomes a skipped word, so the
    // green value's place holds the word "words", which does not read.
    ASSERT_EQ(Read(Settings({"64", "64", "POINT", "SOLID", "ENABLE", "ENABLE", "0x10", "2", "3", "0.5", "0", "0"})),
              ViewerConfigResult::Applied);
    EXPECT_EQ(renderer.clearRed, 0);
    EXPECT_EQ(renderer.clearGreen, 0);
    EXPECT_EQ(RenderState(D3DRS_FOGDENSITY), FloatBits(0.0f));

    // An "e" with no digits is not taken: the speed is -15 and the "e" that
    // follows takes a skipped word's place.
    renderer.Release();
    renderer = Renderer();
    ASSERT_EQ(Read(Settings({"64", "64", "POINT", "SOLID", "ENABLE", "ENABLE", "1", "2", "3", "0.5", "-1.5E+1e",
                             "3"})),
              ViewerConfigResult::Applied);
    EXPECT_EQ(MoveSpeed, -15.0f);
    EXPECT_EQ(MouseSensitivity, 0.0f);

    // "inf" is no number: the density keeps its default.
    renderer.Release();
    renderer = Renderer();
    ASSERT_EQ(Read(Settings({"64", "64", "POINT", "SOLID", "ENABLE", "ENABLE", "1", "2", "3", "inf", "0", "0"})),
              ViewerConfigResult::Applied);
    EXPECT_EQ(RenderState(D3DRS_FOGDENSITY), FloatBits(0.0f));
    EXPECT_EQ(renderer.clearBlue, 3);
}

TEST_F(ViewerConfigTest, LongWordsKeepLaterSettingsInPlace) {
    std::string huge(1000, 'x');
    std::string text = huge + " " + huge + " 96\nw h 48\nf f ANISOTROPIC\nm m POINTS\nt t ENABLE\n" +
                       "g g ENABLE r r 1 g g 2 b b 3 d d 0.25\ns s 2\nm m 3\n";
    ASSERT_EQ(Read(text), ViewerConfigResult::Applied);
    ExpectBackBuffer(96, 48);
    EXPECT_EQ(StageState(D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(RenderState(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_POINT));
    EXPECT_EQ(MoveSpeed, 2.0f);
    EXPECT_EQ(MouseSensitivity, 3.0f);
}

TEST_F(ViewerConfigTest, ShortOrBrokenFilesKeepDefaults) {
    // The width does not read: 640 x 480, and the unread "abc" becomes the next setting's first word.
    ASSERT_EQ(Read("a b abc\n"), ViewerConfigResult::Applied);
    EXPECT_EQ(ScreenSize[0], 640);
    EXPECT_EQ(ScreenSize[1], 480);
    ExpectBackBuffer(640, 480);
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(MoveSpeed, 0.0f);
    EXPECT_EQ(CameraPose[1], 100.0f);
}

TEST_F(ViewerConfigTest, MissingFileCreatesNothing) {
    EXPECT_EQ(ReadViewerConfig(window_), ViewerConfigResult::MissingFile);
    EXPECT_EQ(renderer.device, nullptr);
    EXPECT_EQ(renderer.direct3D, nullptr);
}

}  // namespace
