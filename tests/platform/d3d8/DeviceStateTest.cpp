// Drawing paths and states beyond the viewer's own: indexed and user-memory
// draws, mip levels, blending and alpha test, lights, viewports, Reset.
#include <cstring>

#include "tests/platform/d3d8/DeviceFixture.h"

namespace {

struct LitVertex {
    float x, y, z;
    float nx, ny, nz;
};
constexpr DWORD LIT_FVF = D3DFVF_XYZ | D3DFVF_NORMAL;

D3DMATRIX Perspective() {
    D3DMATRIX m{};
    m._11 = m._22 = 1.0f;
    m._33 = 100.0f / 99.0f;
    m._34 = 1.0f;
    m._43 = -100.0f / 99.0f;
    return m;
}

class DeviceStateTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Clear();
    }

    void Clear() { device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0); }

    void Quad(float x0, float y0, float x1, float y1, D3DCOLOR colour) {
        ScreenVertex v[6] = {{x0, y0, 0.5f, 1, colour}, {x1, y0, 0.5f, 1, colour}, {x0, y1, 0.5f, 1, colour},
                             {x1, y0, 0.5f, 1, colour}, {x1, y1, 0.5f, 1, colour}, {x0, y1, 0.5f, 1, colour}};
        Draw(v, sizeof(ScreenVertex), 6, SCREEN_FVF);
    }
};

TEST_F(DeviceStateTest, IndexedAndUserMemoryDrawsMatchPlainDraws) {
    // Two unused vertices first, so the base vertex index matters.
    ScreenVertex v[6] = {{0, 0, 0.5f, 1, 0xFF0000FF},   {0, 0, 0.5f, 1, 0xFF0000FF},
                         {4, 4, 0.5f, 1, 0xFFFFFF00},   {28, 4, 0.5f, 1, 0xFFFFFF00},
                         {4, 28, 0.5f, 1, 0xFFFFFF00},  {28, 28, 0.5f, 1, 0xFFFFFF00}};
    const WORD indices[6] = {0, 1, 2, 1, 3, 2};
    IDirect3DVertexBuffer8* buffer = MakeBuffer(v, sizeof v, SCREEN_FVF);
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(sizeof indices, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indexBuffer), D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(indexBuffer->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, indices, sizeof indices);
    indexBuffer->Unlock();

    device_->BeginScene();
    device_->SetVertexShader(SCREEN_FVF);
    device_->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    device_->SetIndices(indexBuffer, 2);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    // Base 3 makes index 3 name vertex 6, past the end.
    device_->SetIndices(indexBuffer, 3);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 4, 1), D3DERR_INVALIDCALL);
    device_->EndScene();
    std::vector<D3DCOLOR> indexed = ReadBack();
    EXPECT_EQ(Pixel(indexed, 16, 16), 0xFFFFFF00u);
    EXPECT_EQ(Pixel(indexed, 2, 2), 0xFF000000u);

    Clear();
    device_->BeginScene();
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, &v[2], sizeof(ScreenVertex)), D3D_OK);
    device_->EndScene();
    EXPECT_EQ(ReadBack(), indexed);
    IDirect3DVertexBuffer8* stream = nullptr;
    UINT stride = 1;
    device_->GetStreamSource(0, &stream, &stride);
    EXPECT_EQ(stream, nullptr) << "a user-memory draw unsets the stream";

    Clear();
    device_->BeginScene();
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, &v[2],
                                              sizeof(ScreenVertex)),
              D3D_OK);
    const WORD wild[3] = {0, 1, 9};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, wild, D3DFMT_INDEX16, &v[2],
                                              sizeof(ScreenVertex)),
              D3DERR_INVALIDCALL);
    device_->EndScene();
    EXPECT_EQ(ReadBack(), indexed);
    indexBuffer->Release();
    buffer->Release();
}

TEST_F(DeviceStateTest, OnlyLevelZeroIsSampledUntilAMipFilterIsSet) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    const D3DCOLOR colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked{};
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &colours[level], 4);
        texture->UnlockRect(level);
    }
    device_->SetTexture(0, texture);
    // The 8 x 8 texture on a 2 x 2 quad: level 2 by size.
    ScreenTexVertex v[6] = {{0, 0, 0.5f, 1, 0, 0}, {2, 0, 0.5f, 1, 1, 0}, {0, 2, 0.5f, 1, 0, 1},
                            {2, 0, 0.5f, 1, 1, 0}, {2, 2, 0.5f, 1, 1, 1}, {0, 2, 0.5f, 1, 0, 1}};
    Draw(v, sizeof(ScreenTexVertex), 6, SCREEN_TEX_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 0, 0), 0xFFFF0000u);
    device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    Draw(v, sizeof(ScreenTexVertex), 6, SCREEN_TEX_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 0, 0), 0xFF0000FFu);
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceStateTest, FlatShadingTakesTheFirstVertexColour) {
    ScreenVertex v[3] = {{0, 0, 0.5f, 1, 0xFFFF0000}, {32, 0, 0.5f, 1, 0xFF00FF00}, {0, 32, 0.5f, 1, 0xFF0000FF}};
    Draw(v, sizeof(ScreenVertex), 3, SCREEN_FVF);
    D3DCOLOR gouraud = Pixel(ReadBack(), 10, 10);
    EXPECT_GT(Channel(gouraud, 8), 0);
    EXPECT_GT(Channel(gouraud, 0), 0);
    device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    Draw(v, sizeof(ScreenVertex), 3, SCREEN_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 10, 10), 0xFFFF0000u);
}

TEST_F(DeviceStateTest, TextureTransformMovesTheCoordinates) {
    D3DMATRIX projection = Perspective();
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    IDirect3DTexture8* texture = MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    device_->SetTexture(0, texture);
    WorldVertex v[6] = {{-10, 10, 10, 0, 0}, {10, 10, 10, 1, 0},  {-10, -10, 10, 0, 1},
                        {10, 10, 10, 1, 0},  {10, -10, 10, 1, 1}, {-10, -10, 10, 0, 1}};
    Draw(v, sizeof(WorldVertex), 6, WORLD_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 8, 8), 0xFFFF0000u);
    // Two-component coordinates take the third row as their translation.
    D3DMATRIX shift{};
    shift._11 = shift._22 = shift._33 = shift._44 = 1.0f;
    shift._31 = 0.5f;
    device_->SetTransform(D3DTS_TEXTURE0, &shift);
    device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    Draw(v, sizeof(WorldVertex), 6, WORLD_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 8, 8), 0xFF00FF00u);
    device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    Draw(v, sizeof(WorldVertex), 6, WORLD_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 8, 8), 0xFFFF0000u);
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceStateTest, BlendingAndAlphaTestUseTheVertexAlpha) {
    Quad(0, 0, 32, 32, 0xFFFF0000);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    Quad(0, 0, 32, 32, 0x8000FF00);
    D3DCOLOR c = Pixel(ReadBack(), 16, 16);
    EXPECT_NEAR(Channel(c, 16), 127, 1);
    EXPECT_NEAR(Channel(c, 8), 128, 1);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
    Quad(0, 0, 32, 32, 0x800000FF);
    EXPECT_EQ(Pixel(ReadBack(), 16, 16), c) << "alpha 0x80 is not greater than 0x80";
    Quad(0, 0, 32, 32, 0x810000FF);
    EXPECT_EQ(Pixel(ReadBack(), 16, 16), 0xFF0000FFu);
}

TEST_F(DeviceStateTest, LightingUsesMaterialAmbientAndDirectionalLights) {
    D3DMATRIX projection = Perspective();
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    D3DMATERIAL8 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    device_->SetMaterial(&material);
    LitVertex v[6] = {{-20, 20, 10, 0, 0, -1}, {20, 20, 10, 0, 0, -1},  {-20, -20, 10, 0, 0, -1},
                      {20, 20, 10, 0, 0, -1},  {20, -20, 10, 0, 0, -1}, {-20, -20, 10, 0, 0, -1}};
    Draw(v, sizeof(LitVertex), 6, LIT_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 16, 16), 0xFF000000u) << "no light, no ambient";
    device_->SetRenderState(D3DRS_AMBIENT, 0x00404040);
    Draw(v, sizeof(LitVertex), 6, LIT_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 16, 16), 0xFF404040u);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.5f, 0.25f, 0.0f, 1.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    Draw(v, sizeof(LitVertex), 6, LIT_FVF);
    D3DCOLOR lit = Pixel(ReadBack(), 16, 16);
    EXPECT_NEAR(Channel(lit, 16), 0x40 + 128, 1);
    EXPECT_NEAR(Channel(lit, 8), 0x40 + 64, 1);
    EXPECT_NEAR(Channel(lit, 0), 0x40, 1);
    BOOL enabled = FALSE;
    device_->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
}

TEST_F(DeviceStateTest, ViewportBoundsDrawingAndClearing) {
    D3DVIEWPORT8 viewport{8, 8, 16, 16, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    std::vector<D3DCOLOR> frame = ReadBack();
    EXPECT_EQ(Pixel(frame, 8, 8), 0xFF0000FFu);
    EXPECT_EQ(Pixel(frame, 23, 23), 0xFF0000FFu);
    EXPECT_EQ(Pixel(frame, 7, 8), 0xFF000000u);
    EXPECT_EQ(Pixel(frame, 24, 23), 0xFF000000u);
    // A world quad filling clip space fills the viewport only.
    D3DMATRIX projection = Perspective();
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    WorldVertex v[6] = {{-50, 50, 10, 0, 0}, {50, 50, 10, 0, 0},  {-50, -50, 10, 0, 0},
                        {50, 50, 10, 0, 0},  {50, -50, 10, 0, 0}, {-50, -50, 10, 0, 0}};
    Draw(v, sizeof(WorldVertex), 6, WORLD_FVF);
    frame = ReadBack();
    EXPECT_EQ(Pixel(frame, 8, 8), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(frame, 23, 23), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(frame, 24, 24), 0xFF000000u);
    D3DVIEWPORT8 tooLarge{8, 8, 32, 16, 0.0f, 1.0f};
    EXPECT_EQ(device_->SetViewport(&tooLarge), D3DERR_INVALIDCALL);
}

TEST_F(DeviceStateTest, StateBlocksRecordCaptureAndApply) {
    IDirect3DTexture8* texture = MakeTexture(1, 1, {0xFF808080});
    // Recording changes the block, not the device.
    ASSERT_EQ(device_->BeginStateBlock(), D3D_OK);
    EXPECT_EQ(device_->BeginStateBlock(), D3DERR_INVALIDCALL);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetTexture(0, texture);
    DWORD recorded = 0;
    ASSERT_EQ(device_->EndStateBlock(&recorded), D3D_OK);
    DWORD value = 1;
    device_->GetRenderState(D3DRS_FOGENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(FALSE));
    IDirect3DBaseTexture8* bound = reinterpret_cast<IDirect3DBaseTexture8*>(1);
    device_->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    // The block keeps the texture after the application lets it go.
    EXPECT_EQ(texture->Release(), 0u);
    ASSERT_EQ(device_->ApplyStateBlock(recorded), D3D_OK);
    device_->GetRenderState(D3DRS_FOGENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(TRUE));
    device_->GetTexture(0, &bound);
    ASSERT_NE(bound, nullptr);
    bound->Release();
    device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
    ScreenTexVertex v[3] = {{0, 0, 0.5f, 1, 0, 0}, {64, 0, 0.5f, 1, 1, 0}, {0, 64, 0.5f, 1, 0, 1}};
    Draw(v, sizeof(ScreenTexVertex), 3, SCREEN_TEX_FVF);
    EXPECT_EQ(Pixel(ReadBack(), 4, 4), 0xFF808080u);
    device_->SetTexture(0, nullptr);

    // A pixel block holds the alpha reference but not the cull mode.
    device_->SetRenderState(D3DRS_ALPHAREF, 10);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DWORD pixel = 0, all = 0;
    ASSERT_EQ(device_->CreateStateBlock(D3DSBT_PIXELSTATE, &pixel), D3D_OK);
    ASSERT_EQ(device_->CreateStateBlock(D3DSBT_ALL, &all), D3D_OK);
    device_->SetRenderState(D3DRS_ALPHAREF, 20);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    D3DMATRIX view{};
    view._11 = 3.0f;
    device_->SetTransform(D3DTS_VIEW, &view);
    ASSERT_EQ(device_->ApplyStateBlock(pixel), D3D_OK);
    device_->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 10u);
    device_->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_CW));
    ASSERT_EQ(device_->ApplyStateBlock(all), D3D_OK);
    device_->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
    device_->GetTransform(D3DTS_VIEW, &view);
    EXPECT_EQ(view._11, 1.0f);
    // Capturing refreshes the values the block holds.
    device_->SetRenderState(D3DRS_ALPHAREF, 30);
    ASSERT_EQ(device_->CaptureStateBlock(pixel), D3D_OK);
    device_->SetRenderState(D3DRS_ALPHAREF, 40);
    device_->ApplyStateBlock(pixel);
    device_->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 30u);
    EXPECT_EQ(device_->DeleteStateBlock(pixel), D3D_OK);
    EXPECT_EQ(device_->ApplyStateBlock(pixel), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DeleteStateBlock(0xFFFFFFFF), D3DERR_INVALIDCALL);
    device_->DeleteStateBlock(recorded);
}

TEST_F(DeviceStateTest, ResetResizesTheBackBufferAndRestoresDefaultStates) {
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 48;
    pp.BackBufferHeight = 40;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    width_ = 48;
    height_ = 40;
    DWORD fog = TRUE;
    device_->GetRenderState(D3DRS_FOGENABLE, &fog);
    EXPECT_EQ(fog, static_cast<DWORD>(FALSE));
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 48u);
    EXPECT_EQ(desc.Height, 40u);
    // The back buffer was asked to be lockable: its pixels in A8R8G8B8 layout.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(back->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 48 * 4);
    uint32_t pixel;
    std::memcpy(&pixel, static_cast<uint8_t*>(locked.pBits) + 39 * locked.Pitch + 47 * 4, 4);
    EXPECT_EQ(pixel & 0xFFFFFF, 0x123456u);
    uint32_t white = 0xFFFFFFFF;
    std::memcpy(locked.pBits, &white, 4);
    back->UnlockRect();
    EXPECT_EQ(Pixel(ReadBack(), 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(ReadBack(), 1, 0), 0xFF123456u);
    // Not while the application holds the back buffer.
    EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
    back->Release();
}

}  // namespace
