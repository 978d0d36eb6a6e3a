// Frames drawn by the GL device and read back: clearing, rasterisation rules,
// texturing and filtering, fill modes, depth and fog.
#include <cmath>
#include <cstring>

#include "tests/platform/d3d8/DeviceFixture.h"

namespace {

DWORD Bits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

// A perspective projection as the viewer builds them: _34 = 1, so w is the eye depth.
D3DMATRIX Perspective(float zNear, float zFar) {
    D3DMATRIX m{};
    m._11 = 1.0f;
    m._22 = 1.0f;
    m._33 = zFar / (zFar - zNear);
    m._34 = 1.0f;
    m._43 = -zNear * zFar / (zFar - zNear);
    return m;
}

class DeviceRenderTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Clear(0xFF000000);
    }

    void SetProjection(float zNear, float zFar) {
        D3DMATRIX projection = Perspective(zNear, zFar);
        ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    }

    void Clear(D3DCOLOR colour) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0), D3D_OK);
    }

    // Two triangles covering the screen rectangle (x0, y0) - (x1, y1).
    void ScreenQuad(float x0, float y0, float x1, float y1, float z, D3DCOLOR colour) {
        ScreenVertex v[6] = {{x0, y0, z, 1, colour}, {x1, y0, z, 1, colour}, {x0, y1, z, 1, colour},
                             {x1, y0, z, 1, colour}, {x1, y1, z, 1, colour}, {x0, y1, z, 1, colour}};
        Draw(v, sizeof(ScreenVertex), 6, SCREEN_FVF);
    }

    void TexturedScreenQuad(float x0, float y0, float x1, float y1) {
        ScreenTexVertex v[6] = {{x0, y0, 0.5f, 1, 0, 0}, {x1, y0, 0.5f, 1, 1, 0}, {x0, y1, 0.5f, 1, 0, 1},
                                {x1, y0, 0.5f, 1, 1, 0}, {x1, y1, 0.5f, 1, 1, 1}, {x0, y1, 0.5f, 1, 0, 1}};
        Draw(v, sizeof(ScreenTexVertex), 6, SCREEN_TEX_FVF);
    }

    // A world-space quad at depth z filling the view of the projection above.
    void WorldQuad(float z) {
        WorldVertex v[6] = {{-200, 200, z, 0, 0}, {200, 200, z, 1, 0}, {-200, -200, z, 0, 1},
                            {200, 200, z, 1, 0},  {200, -200, z, 1, 1}, {-200, -200, z, 0, 1}};
        Draw(v, sizeof(WorldVertex), 6, WORLD_FVF);
    }
};

TEST_F(DeviceRenderTest, ClearFillsTheWholeTargetOrOnlyTheRectanglesGiven) {
    Clear(0xFF2C0040);
    for (D3DCOLOR c : ReadBack()) ASSERT_EQ(c, 0xFF2C0040u);
    D3DRECT rect{10, 20, 30, 40};
    ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    std::vector<D3DCOLOR> frame = ReadBack();
    EXPECT_EQ(Pixel(frame, 10, 20), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(frame, 29, 39), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(frame, 30, 39), 0xFF2C0040u);
    EXPECT_EQ(Pixel(frame, 29, 40), 0xFF2C0040u);
    EXPECT_EQ(Pixel(frame, 9, 20), 0xFF2C0040u);
    // No stencil buffer was asked for.
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    SaveFrame("clear");
}

TEST_F(DeviceRenderTest, PixelCentresLieOnWholeCoordinatesWithTopLeftFill) {
    // A quad from (8, 8) to (16, 12) covers the pixels whose centres lie inside,
    // the top and left edges included, the bottom and right edges not.
    ScreenQuad(8, 8, 16, 12, 0.5f, 0xFFFFFFFF);
    std::vector<D3DCOLOR> frame = ReadBack();
    for (UINT y = 0; y < 20; ++y)
        for (UINT x = 0; x < 20; ++x) {
            bool inside = x >= 8 && x < 16 && y >= 8 && y < 12;
            EXPECT_EQ(Pixel(frame, x, y), inside ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
        }
    // Half-pixel edges take the pixels whose centres they pass.
    Clear(0xFF000000);
    ScreenQuad(20.5f, 20.5f, 22.5f, 21.5f, 0.5f, 0xFFFFFFFF);
    frame = ReadBack();
    EXPECT_EQ(Pixel(frame, 20, 21), 0xFF000000u);
    EXPECT_EQ(Pixel(frame, 21, 21), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(frame, 22, 21), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(frame, 23, 21), 0xFF000000u);
    EXPECT_EQ(Pixel(frame, 21, 20), 0xFF000000u);
    EXPECT_EQ(Pixel(frame, 21, 22), 0xFF000000u);
}

TEST_F(DeviceRenderTest, WorldTransformsUseRowVectorsAndKeepTheImageUpright) {
    SetProjection(1.0f, 100.0f);
    // A red triangle above the centre and to the right (world +y, +x).
    WorldVertex v[3] = {{5, 5, 10, 0, 0}, {9, 5, 10, 0, 0}, {5, 9, 10, 0, 0}};
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    Draw(v, sizeof(WorldVertex), 3, WORLD_FVF);
    std::vector<D3DCOLOR> frame = ReadBack();
    // x = 5..9 at depth 10 maps to 32 + 32 * 0.5..0.9: right half; y up is the upper half.
    EXPECT_EQ(Pixel(frame, 50, 12), 0xFFFF0000u);
    EXPECT_EQ(Pixel(frame, 13, 12), 0xFF000000u);
    EXPECT_EQ(Pixel(frame, 50, 46), 0xFF000000u);
    // A translated world moves it to the left half.
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    world._41 = -14.0f;
    device_->SetTransform(D3DTS_WORLD, &world);
    Clear(0xFF000000);
    Draw(v, sizeof(WorldVertex), 3, WORLD_FVF);
    frame = ReadBack();
    EXPECT_EQ(Pixel(frame, 50, 12), 0xFF000000u);
    EXPECT_EQ(Pixel(frame, 6, 12), 0xFFFF0000u);
    SaveFrame("upright");
}

TEST_F(DeviceRenderTest, TexturedQuadWithPointAndLinearFiltering) {
    IDirect3DTexture8* texture = MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    TexturedScreenQuad(0, 0, 64, 64);
    std::vector<D3DCOLOR> frame = ReadBack();
    SaveFrame("texture-point");
    EXPECT_EQ(Pixel(frame, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(frame, 31, 31), 0xFFFF0000u);
    EXPECT_EQ(Pixel(frame, 32, 0), 0xFF00FF00u);
    EXPECT_EQ(Pixel(frame, 0, 32), 0xFF0000FFu);
    EXPECT_EQ(Pixel(frame, 63, 63), 0xFFFFFFFFu);

    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    Clear(0xFF000000);
    TexturedScreenQuad(0, 0, 64, 64);
    frame = ReadBack();
    SaveFrame("texture-linear");
    // The centre lies halfway between all four texels.
    D3DCOLOR centre = Pixel(frame, 32, 32);
    EXPECT_NEAR(Channel(centre, 16), 128, 2);
    EXPECT_NEAR(Channel(centre, 8), 128, 2);
    EXPECT_NEAR(Channel(centre, 0), 128, 2);
    // A quarter of the way across, the sample is the red texel's centre.
    EXPECT_EQ(Pixel(frame, 16, 16), 0xFFFF0000u);
    // Between red and green along the top row.
    D3DCOLOR between = Pixel(frame, 32, 16);
    EXPECT_NEAR(Channel(between, 16), 128, 2);
    EXPECT_NEAR(Channel(between, 8), 128, 2);
    // Wrap addressing by default: the corner blends with the opposite edges.
    D3DCOLOR corner = Pixel(frame, 0, 0);
    EXPECT_NEAR(Channel(corner, 16), 128, 2);
    EXPECT_NEAR(Channel(corner, 0), 128, 2);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    TexturedScreenQuad(0, 0, 64, 64);
    EXPECT_EQ(Pixel(ReadBack(), 0, 0), 0xFFFF0000u);

    // Anisotropic filtering magnifies as linear filtering does.
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
    device_->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 4);
    TexturedScreenQuad(0, 0, 64, 64);
    centre = Pixel(ReadBack(), 32, 32);
    EXPECT_NEAR(Channel(centre, 16), 128, 2);
    EXPECT_NEAR(Channel(centre, 8), 128, 2);
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceRenderTest, NoTextureBoundGivesTheDiffuseColour) {
    // The viewer's stage setup: colour = texture x diffuse, alpha disabled.
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    SetProjection(1.0f, 100.0f);
    WorldQuad(10.0f);
    EXPECT_EQ(Pixel(ReadBack(), 32, 32), 0xFFFFFFFFu);

    IDirect3DTexture8* texture = MakeTexture(1, 1, {0xFF336699});
    device_->SetTexture(0, texture);
    WorldQuad(10.0f);
    EXPECT_EQ(Pixel(ReadBack(), 32, 32), 0xFF336699u);
    // Lighting on with no lights and a black material gives black, as in Direct3D.
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    WorldQuad(10.0f);
    EXPECT_EQ(Pixel(ReadBack(), 32, 32), 0xFF000000u);
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceRenderTest, FillModesDrawPointsEdgesOrInteriors) {
    ScreenVertex v[3] = {{10, 10, 0.5f, 1, 0xFFFFFFFF}, {50, 10, 0.5f, 1, 0xFFFFFFFF}, {10, 50, 0.5f, 1, 0xFFFFFFFF}};
    auto count = [](const std::vector<D3DCOLOR>& frame) {
        int white = 0;
        for (D3DCOLOR c : frame) white += c == 0xFFFFFFFF;
        return white;
    };
    device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    Draw(v, sizeof(ScreenVertex), 3, SCREEN_FVF);
    std::vector<D3DCOLOR> solid = ReadBack();
    SaveFrame("fill-solid");
    EXPECT_EQ(Pixel(solid, 20, 20), 0xFFFFFFFFu);
    EXPECT_NEAR(count(solid), 40 * 40 / 2, 40);

    Clear(0xFF000000);
    device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    Draw(v, sizeof(ScreenVertex), 3, SCREEN_FVF);
    std::vector<D3DCOLOR> wire = ReadBack();
    SaveFrame("fill-wireframe");
    EXPECT_EQ(Pixel(wire, 20, 20), 0xFF000000u);
    EXPECT_EQ(Pixel(wire, 30, 10), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(wire, 10, 30), 0xFFFFFFFFu);
    EXPECT_GT(count(wire), 100);
    EXPECT_LT(count(wire), 160);

    Clear(0xFF000000);
    device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
    Draw(v, sizeof(ScreenVertex), 3, SCREEN_FVF);
    std::vector<D3DCOLOR> points = ReadBack();
    EXPECT_EQ(count(points), 3);
    EXPECT_EQ(Pixel(points, 10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(points, 50, 10), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(points, 10, 50), 0xFFFFFFFFu);
}

TEST_F(DeviceRenderTest, DepthTestKeepsTheNearerSurfaceWhileTheZBufferIsOn) {
    ScreenQuad(0, 0, 64, 64, 0.2f, 0xFFFF0000);
    ScreenQuad(16, 16, 48, 48, 0.8f, 0xFF00FF00);
    EXPECT_EQ(Pixel(ReadBack(), 32, 32), 0xFFFF0000u);

    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    ScreenQuad(16, 16, 48, 48, 0.8f, 0xFF00FF00);
    EXPECT_EQ(Pixel(ReadBack(), 32, 32), 0xFF00FF00u);

    // Clearing the depth buffer lets the far quad through again.
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    ScreenQuad(16, 16, 48, 48, 0.9f, 0xFF0000FF);
    EXPECT_EQ(Pixel(ReadBack(), 32, 32), 0xFF0000FFu);
}

TEST_F(DeviceRenderTest, CullModesFollowDirect3DWinding) {
    // Clockwise on screen (y down).
    ScreenVertex cw[3] = {{10, 10, 0.5f, 1, 0xFFFFFFFF}, {50, 10, 0.5f, 1, 0xFFFFFFFF}, {10, 50, 0.5f, 1, 0xFFFFFFFF}};
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    Draw(cw, sizeof(ScreenVertex), 3, SCREEN_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 20, 20), 0xFFFFFFFFu);
    Clear(0xFF000000);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Draw(cw, sizeof(ScreenVertex), 3, SCREEN_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 20, 20), 0xFF000000u);
}

TEST_F(DeviceRenderTest, TableFogFollowsTheEyeDistance) {
    SetProjection(1.0f, 500.0f);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetRenderState(D3DRS_FOGCOLOR, 0x00204080);
    const float density = 0.02f, depth = 50.0f;
    device_->SetRenderState(D3DRS_FOGDENSITY, Bits(density));
    auto expect = [&](double f, const char* what) {
        D3DCOLOR c = Pixel(ReadBack(), 32, 32);
        EXPECT_NEAR(Channel(c, 16), f * 255 + (1 - f) * 0x20, 1.0) << what;
        EXPECT_NEAR(Channel(c, 8), f * 255 + (1 - f) * 0x40, 1.0) << what;
        EXPECT_NEAR(Channel(c, 0), f * 255 + (1 - f) * 0x80, 1.0) << what;
    };
    device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
    WorldQuad(depth);
    expect(std::exp(-density * depth), "exp");
    SaveFrame("fog-exp");

    device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP2);
    WorldQuad(depth);
    expect(std::exp(-(density * depth) * (density * depth)), "exp2");

    device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    device_->SetRenderState(D3DRS_FOGSTART, Bits(20.0f));
    device_->SetRenderState(D3DRS_FOGEND, Bits(120.0f));
    WorldQuad(depth);
    expect((120.0 - depth) / (120.0 - 20.0), "linear");

    // Fog off: the surface keeps its own colour.
    device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
    WorldQuad(depth);
    expect(1.0, "off");
}

}  // namespace

namespace {

// Distinct values of one channel along a row of the frame.
size_t ChannelLevels(const std::vector<D3DCOLOR>& frame, UINT width, UINT row, int shift) {
    bool seen[256] = {};
    size_t levels = 0;
    for (UINT x = 0; x < width; ++x) {
        int v = Channel(frame[row * width + x], shift);
        if (!seen[v]) ++levels;
        seen[v] = true;
    }
    return levels;
}

}  // namespace

TEST_F(DeviceRenderTest, SixteenBitDesktopDrawsAtItsDepth) {
    // A black-to-white ramp across 256 pixels: every 8-bit level in a 32-bit
    // mode, 32 or 64 bands per channel in the 16-bit ones.
    struct Mode {
        D3DFORMAT desktop;
        size_t red, green;
    };
    for (Mode mode : {Mode{D3DFMT_X8R8G8B8, 256, 256}, Mode{D3DFMT_R5G6B5, 32, 64}, Mode{D3DFMT_X1R5G5B5, 32, 32}}) {
        ReleaseDevice();
        D3D8CapsOverride caps;
        caps.desktopFormat = mode.desktop;
        D3D8SetCapsOverride(caps);
        D3DDISPLAYMODE display{};
        ASSERT_EQ(direct3D_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &display), D3D_OK);
        EXPECT_EQ(display.Format, mode.desktop);
        ASSERT_EQ(CreateDevice(256, 4), D3D_OK);
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DSURFACE_DESC desc{};
        back->GetDesc(&desc);
        back->Release();
        EXPECT_EQ(desc.Format, mode.desktop);
        EXPECT_EQ(desc.Size, 256u * 4u * (mode.desktop == D3DFMT_X8R8G8B8 ? 4u : 2u));

        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Clear(0xFF000000);
        ScreenVertex v[6] = {{-0.5f, -0.5f, 0.5f, 1, 0xFF000000}, {255.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF},
                             {-0.5f, 3.5f, 0.5f, 1, 0xFF000000},  {255.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF},
                             {255.5f, 3.5f, 0.5f, 1, 0xFFFFFFFF}, {-0.5f, 3.5f, 0.5f, 1, 0xFF000000}};
        Draw(v, sizeof(ScreenVertex), 6, SCREEN_FVF);
        std::vector<D3DCOLOR> frame = ReadBack();
        size_t red = ChannelLevels(frame, 256, 2, 16), green = ChannelLevels(frame, 256, 2, 8);
        EXPECT_LE(red, mode.red) << mode.desktop;
        EXPECT_GE(red, mode.red * 7 / 8) << mode.desktop;
        EXPECT_LE(green, mode.green) << mode.desktop;
        EXPECT_GE(green, mode.green * 7 / 8) << mode.desktop;

        // Copied out, the back buffer holds pixels in its own format's layout.
        IDirect3DSurface8* copy = nullptr;
        ASSERT_EQ(device_->CreateImageSurface(256, 4, mode.desktop, &copy), D3D_OK);
        ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        EXPECT_EQ(device_->CopyRects(back, nullptr, 0, copy, nullptr), D3D_OK);
        back->Release();
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT x : {0u, 77u, 200u, 255u}) {
            const BYTE* row = static_cast<const BYTE*>(locked.pBits) + 2 * locked.Pitch;
            D3DCOLOR seen = Pixel(frame, x, 2);
            if (mode.desktop == D3DFMT_X8R8G8B8) {
                D3DCOLOR stored;
                std::memcpy(&stored, row + 4 * x, 4);
                EXPECT_EQ(stored & 0xFFFFFF, seen & 0xFFFFFF) << x;
                continue;
            }
            uint16_t stored;
            std::memcpy(&stored, row + 2 * x, 2);
            int greenBits = mode.desktop == D3DFMT_R5G6B5 ? 6 : 5;
            int red = stored >> (greenBits + 5) & 31, greenValue = stored >> 5 & ((1 << greenBits) - 1);
            EXPECT_EQ(red, (Channel(seen, 16) * 31 + 127) / 255) << x << " " << mode.desktop;
            EXPECT_EQ(greenValue, (Channel(seen, 8) * ((1 << greenBits) - 1) + 127) / 255) << x << " " << mode.desktop;
        }
        copy->UnlockRect();
        copy->Release();
    }
}
