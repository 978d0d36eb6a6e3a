// Textures, surfaces and buffers of the GL device: the formats it takes, their
// memory layout under LockRect, drawing each format, system-memory updates,
// reference counts and the capabilities it reports.
#include <cstring>
#include <filesystem>
#include <string>

#include <png.h>

#include "platform/d3d8/D3D8Testing.h"
#include "platform/win32/PlatformSettings.h"
#include "tests/platform/d3d8/DeviceFixture.h"

namespace {

struct FormatCase {
    D3DFORMAT format;
    const char* name;
    UINT unitBytes;                 // bytes per pixel, or per 4x4 block
    bool blocks;
    std::vector<uint8_t> texel;     // one pixel, or one block
    D3DCOLOR drawn;                 // what a quad textured with it shows (alpha ignored)
};

std::vector<FormatCase> Formats() {
    return {
        {D3DFMT_A8R8G8B8, "A8R8G8B8", 4, false, {0x99, 0x66, 0x33, 0x80}, 0x336699},
        {D3DFMT_X8R8G8B8, "X8R8G8B8", 4, false, {0x99, 0x66, 0x33, 0x00}, 0x336699},
        {D3DFMT_R8G8B8, "R8G8B8", 3, false, {0x99, 0x66, 0x33}, 0x336699},
        {D3DFMT_R5G6B5, "R5G6B5", 2, false, {0x00, 0xF8}, 0xFF0000},
        {D3DFMT_X1R5G5B5, "X1R5G5B5", 2, false, {0xE0, 0x03}, 0x00FF00},
        {D3DFMT_A1R5G5B5, "A1R5G5B5", 2, false, {0x1F, 0x80}, 0x0000FF},
        {D3DFMT_A4R4G4B4, "A4R4G4B4", 2, false, {0xF0, 0xFF}, 0xFFFF00},
        {D3DFMT_X4R4G4B4, "X4R4G4B4", 2, false, {0x0F, 0x0F}, 0xFF00FF},
        {D3DFMT_R3G3B2, "R3G3B2", 1, false, {0xE0}, 0xFF0000},
        {D3DFMT_A8R3G3B2, "A8R3G3B2", 2, false, {0x1C, 0xFF}, 0x00FF00},
        {D3DFMT_A8, "A8", 1, false, {0x80}, 0x000000},
        {D3DFMT_L8, "L8", 1, false, {0x80}, 0x808080},
        {D3DFMT_A8L8, "A8L8", 2, false, {0x40, 0xFF}, 0x404040},
        {D3DFMT_A4L4, "A4L4", 1, false, {0xFF}, 0xFFFFFF},
        // Colour end points red and blue, every index 0 (red); alpha opaque.
        {D3DFMT_DXT1, "DXT1", 8, true, {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0}, 0xFF0000},
        {D3DFMT_DXT2, "DXT2", 16, true, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xF8, 0x1F, 0x00, 0x55, 0x55, 0x55, 0x55}, 0x0000FF},
        {D3DFMT_DXT3, "DXT3", 16, true, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xF8, 0x1F, 0x00, 0x55, 0x55, 0x55, 0x55}, 0x0000FF},
        {D3DFMT_DXT4, "DXT4", 16, true, {0xFF, 0x00, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0}, 0xFF0000},
        {D3DFMT_DXT5, "DXT5", 16, true, {0xFF, 0x00, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0}, 0xFF0000},
    };
}

// The first pixel of the top row and of the bottom row of a PNG file, as RGB.
bool PngCorners(const std::string& path, uint32_t* top, uint32_t* bottom) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;
    const uint8_t* last = pixels.data() + (image.height - 1) * image.width * 3;
    *top = (pixels[0] << 16) | (pixels[1] << 8) | pixels[2];
    *bottom = (last[0] << 16) | (last[1] << 8) | last[2];
    return true;
}

UINT ExpectedPitch(const FormatCase& f, UINT width) {
    return f.blocks ? (width + 3) / 4 * f.unitBytes : width * f.unitBytes;
}

class DeviceResourceTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    // Fills every level of a texture with one texel (or block) repeated.
    void Fill(IDirect3DTexture8* texture, const FormatCase& f) {
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(level, &desc);
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            UINT units = f.blocks ? (desc.Width + 3) / 4 : desc.Width;
            UINT rows = f.blocks ? (desc.Height + 3) / 4 : desc.Height;
            for (UINT y = 0; y < rows; ++y)
                for (UINT x = 0; x < units; ++x)
                    std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * f.unitBytes,
                                f.texel.data(), f.unitBytes);
            ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
        }
    }


    void ExpectColour(D3DCOLOR actual, D3DCOLOR expected, const char* name) {
        EXPECT_NEAR(Channel(actual, 16), Channel(expected, 16), 1) << name;
        EXPECT_NEAR(Channel(actual, 8), Channel(expected, 8), 1) << name;
        EXPECT_NEAR(Channel(actual, 0), Channel(expected, 0), 1) << name;
    }
};

TEST_F(DeviceResourceTest, EveryFormatLocksWithDirect3DLayoutAndDraws) {
    for (const FormatCase& f : Formats()) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(16, 8, 0, 0, f.format, D3DPOOL_MANAGED, &texture), D3D_OK) << f.name;
        ASSERT_EQ(texture->GetLevelCount(), 5u) << f.name;
        for (UINT level = 0; level < 5; ++level) {
            D3DSURFACE_DESC desc{};
            ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
            EXPECT_EQ(desc.Width, std::max(1u, 16u >> level)) << f.name;
            EXPECT_EQ(desc.Height, std::max(1u, 8u >> level)) << f.name;
            EXPECT_EQ(desc.Format, f.format);
            EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
            UINT rows = f.blocks ? (desc.Height + 3) / 4 : desc.Height;
            EXPECT_EQ(desc.Size, ExpectedPitch(f, desc.Width) * rows) << f.name;

            // Bytes written under one lock read back under the next.
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            EXPECT_EQ(static_cast<UINT>(locked.Pitch), ExpectedPitch(f, desc.Width)) << f.name << " " << level;
            auto* bytes = static_cast<uint8_t*>(locked.pBits);
            for (UINT i = 0; i < desc.Size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + level);
            EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "locked twice";
            ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
            EXPECT_EQ(texture->UnlockRect(level), D3DERR_INVALIDCALL);
            IDirect3DSurface8* surface = nullptr;
            ASSERT_EQ(texture->GetSurfaceLevel(level, &surface), D3D_OK);
            D3DSURFACE_DESC surfaceDesc{};
            surface->GetDesc(&surfaceDesc);
            EXPECT_EQ(surfaceDesc.Width, desc.Width);
            ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
            bytes = static_cast<uint8_t*>(locked.pBits);
            for (UINT i = 0; i < desc.Size; ++i) ASSERT_EQ(bytes[i], static_cast<uint8_t>(i * 7 + level)) << f.name;
            surface->UnlockRect();
            surface->Release();
        }
        // A rectangle starts at its own corner: 4 rows and 4 pixels (or one block each way) in.
        D3DLOCKED_RECT whole{}, part{};
        texture->LockRect(0, &whole, nullptr, 0);
        texture->UnlockRect(0);
        RECT r{4, 4, 8, 8};
        ASSERT_EQ(texture->LockRect(0, &part, &r, 0), D3D_OK);
        size_t expected = f.blocks ? whole.Pitch + f.unitBytes : 4 * whole.Pitch + 4 * f.unitBytes;
        EXPECT_EQ(static_cast<uint8_t*>(part.pBits) - static_cast<uint8_t*>(whole.pBits), static_cast<ptrdiff_t>(expected)) << f.name;
        texture->UnlockRect(0);
        RECT outside{8, 0, 17, 4};
        EXPECT_EQ(texture->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);

        Fill(texture, f);
        ExpectColour(DrawTextured(texture), f.drawn, f.name);
        texture->Release();
    }
}

TEST_F(DeviceResourceTest, DxtDecodedHereDrawsAsTheGlDecoderDoes) {
    ReleaseDevice();
    D3D8ForceDxtDecode(true);
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    for (const FormatCase& f : Formats()) {
        if (!f.blocks) continue;
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, f.format, D3DPOOL_MANAGED, &texture), D3D_OK);
        Fill(texture, f);
        ExpectColour(DrawTextured(texture), f.drawn, f.name);
        texture->Release();
    }
    // Three-colour mode of DXT1: colour0 <= colour1, index 3 is transparent black.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
    Fill(texture, {D3DFMT_DXT1, "DXT1-3", 8, true, {0x1F, 0x00, 0x00, 0xF8, 0xAA, 0xAA, 0xAA, 0xAA}, 0});
    ExpectColour(DrawTextured(texture), 0x800080, "DXT1 midpoint");
    texture->Release();
}

TEST_F(DeviceResourceTest, FormatsOfferedAreExactlyTheFormatsThatCanBeCreated) {
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(device_->GetDisplayMode(&mode), D3D_OK);
    const D3DFORMAT all[] = {D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,    D3DFMT_X1R5G5B5,
                             D3DFMT_A8P8,     D3DFMT_P8,       D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,  D3DFMT_R3G3B2,
                             D3DFMT_A8,       D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4, D3DFMT_L8,        D3DFMT_A8L8,
                             D3DFMT_A4L4,     D3DFMT_V8U8,     D3DFMT_L6V5U5,   D3DFMT_X8L8V8U8,  D3DFMT_Q8W8V8U8,
                             D3DFMT_V16U16,   D3DFMT_W11V11U10, D3DFMT_UYVY,    D3DFMT_YUY2,      D3DFMT_DXT1,
                             D3DFMT_DXT2,     D3DFMT_DXT3,     D3DFMT_DXT4,     D3DFMT_DXT5,      D3DFMT_D16};
    int offered = 0;
    for (D3DFORMAT format : all) {
        HRESULT check = direct3D_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0,
                                                     D3DRTYPE_TEXTURE, format);
        IDirect3DTexture8* texture = nullptr;
        HRESULT made = device_->CreateTexture(8, 8, 1, 0, format, D3DPOOL_MANAGED, &texture);
        EXPECT_EQ(check == D3D_OK, made == D3D_OK) << format;
        if (check != D3D_OK) {
            EXPECT_EQ(check, D3DERR_NOTAVAILABLE) << format;
            EXPECT_EQ(texture, nullptr);
        }
        if (texture != nullptr) texture->Release();
        offered += check == D3D_OK;
    }
    EXPECT_GE(offered, 18);
    EXPECT_EQ(direct3D_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_RENDERTARGET,
                                           D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(direct3D_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_DEPTHSTENCIL,
                                           D3DRTYPE_SURFACE, D3DFMT_D16),
              D3D_OK);
}

TEST_F(DeviceResourceTest, PoolsFollowDirect3DRules) {
    const FormatCase red{D3DFMT_X8R8G8B8, "red", 4, false, {0, 0, 0xFF, 0}, 0xFF0000};
    IDirect3DTexture8* video = nullptr;
    IDirect3DTexture8* staging = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &video), D3D_OK);
    ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &staging), D3D_OK);
    // A default-pool texture cannot be locked; it is filled from system memory.
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(video->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    Fill(staging, red);
    EXPECT_EQ(device_->UpdateTexture(video, staging), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->UpdateTexture(staging, video), D3D_OK);
    ExpectColour(DrawTextured(video), 0xFF0000, "updated");
    // A system-memory texture cannot be drawn with.
    EXPECT_EQ(device_->SetTexture(0, staging), D3DERR_INVALIDCALL);

    IDirect3DTexture8* other = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &other), D3D_OK);
    EXPECT_EQ(device_->UpdateTexture(other, video), D3DERR_INVALIDCALL) << "formats differ";
    other->Release();
    staging->Release();
    video->Release();

    IDirect3DTexture8* bad = nullptr;
    EXPECT_EQ(device_->CreateTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &bad), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &bad), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(6, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &bad), D3DERR_INVALIDCALL);
    EXPECT_EQ(bad, nullptr);
}

TEST_F(DeviceResourceTest, VertexBufferLocksRangesAndRejectsDrawsPastItsEnd) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(60, 0, WORLD_FVF, D3DPOOL_DEFAULT, &buffer), D3D_OK);
    D3DVERTEXBUFFER_DESC desc{};
    buffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 60u);
    EXPECT_EQ(desc.FVF, WORLD_FVF);
    BYTE* whole = nullptr;
    BYTE* part = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &whole, 0), D3D_OK);
    buffer->Unlock();
    ASSERT_EQ(buffer->Lock(20, 20, &part, 0), D3D_OK);
    EXPECT_EQ(part - whole, 20);
    buffer->Unlock();
    EXPECT_EQ(buffer->Lock(40, 40, &part, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);

    device_->BeginScene();
    device_->SetStreamSource(0, buffer, 20);
    device_->SetVertexShader(WORLD_FVF);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
    device_->EndScene();
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL) << "outside a scene";
    device_->SetStreamSource(0, nullptr, 0);
    buffer->Release();
}

TEST_F(DeviceResourceTest, ReferencesCountAndObjectsKeepTheDeviceAlive) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->AddRef(), 2u);
    EXPECT_EQ(texture->Release(), 1u);
    // A surface of a level counts on its texture.
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), D3D_OK);
    EXPECT_EQ(texture->AddRef(), 3u);
    texture->Release();
    EXPECT_EQ(surface->Release(), 1u);
    // The texture holds the device; so does the vertex buffer.
    EXPECT_EQ(device_->AddRef(), 3u);
    device_->Release();
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(60, 0, WORLD_FVF, D3DPOOL_DEFAULT, &buffer), D3D_OK);
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device_);
    EXPECT_EQ(owner->Release(), 3u);
    IDirect3D8* direct3D = nullptr;
    ASSERT_EQ(device_->GetDirect3D(&direct3D), D3D_OK);
    EXPECT_EQ(direct3D, direct3D_);
    direct3D->Release();

    // Bound objects released by the application go when the device lets them go.
    device_->SetTexture(0, texture);
    device_->SetStreamSource(0, buffer, 20);
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    bound->Release();
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;

    // An object outliving the device's last application reference keeps it alive.
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(device_->Release(), 1u);
    device_ = nullptr;
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    texture->UnlockRect(0);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(DeviceResourceTest, CapabilitiesReportGlLimitsOrTheTestOverride) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.MaxTextureWidth, caps.MaxTextureHeight);
    EXPECT_EQ(caps.MaxTextureAspectRatio, caps.MaxTextureWidth);
    EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY), 0u);
    EXPECT_NE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP, 0u);
    EXPECT_NE(caps.RasterCaps & D3DPRASTERCAPS_FOGTABLE, 0u);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(100, 60, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 7u);
    texture->Release();
    ReleaseDevice();

    D3D8CapsOverride limits;
    limits.pow2Only = true;
    limits.squareOnly = true;
    limits.maxAspectRatio = 2;
    limits.maxTextureWidth = limits.maxTextureHeight = 256;
    D3D8SetCapsOverride(limits);
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_NE(caps.TextureCaps & D3DPTEXTURECAPS_POW2, 0u);
    EXPECT_NE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY, 0u);
    EXPECT_EQ(caps.MaxTextureAspectRatio, 2u);
    EXPECT_EQ(caps.MaxTextureWidth, 256u);
    D3DCAPS8 adapterCaps{};
    ASSERT_EQ(direct3D_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &adapterCaps), D3D_OK);
    EXPECT_EQ(adapterCaps.MaxTextureWidth, 256u);
    // The device keeps to the limits it reports.
    EXPECT_EQ(device_->CreateTexture(100, 100, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(128, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(512, 512, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    limits.squareOnly = false;
    limits.pow2Only = false;
    D3D8SetCapsOverride(limits);
    ReleaseDevice();
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    EXPECT_EQ(device_->CreateTexture(128, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    texture->Release();
    EXPECT_EQ(device_->CreateTexture(129, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateTexture(128, 128, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 8u);
    texture->Release();
}

TEST_F(DeviceResourceTest, StatesStartAtDirect3DDefaultsAndHold) {
    DWORD value = 0;
    device_->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));
    device_->GetRenderState(D3DRS_FOGTABLEMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DFOG_NONE));
    device_->GetTextureStageState(0, D3DTSS_MIPFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_NONE));
    device_->GetTextureStageState(0, D3DTSS_MAXANISOTROPY, &value);
    EXPECT_EQ(value, 1u);
    device_->GetTextureStageState(0, D3DTSS_ADDRESSU, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_WRAP));
    device_->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
    device_->SetRenderState(D3DRS_FOGDENSITY, 0x3C23D70A);
    device_->GetRenderState(D3DRS_FOGDENSITY, &value);
    EXPECT_EQ(value, 0x3C23D70Au);
    D3DMATRIX world{};
    ASSERT_EQ(device_->GetTransform(D3DTS_WORLD, &world), D3D_OK);
    EXPECT_EQ(world._11, 1.0f);
    EXPECT_EQ(world._44, 1.0f);
    EXPECT_EQ(world._41, 0.0f);
    D3DMATRIX view{};
    view._11 = 2.0f;
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->GetTransform(D3DTS_VIEW, &world);
    EXPECT_EQ(world._11, 2.0f);
}

TEST_F(DeviceResourceTest, PresentSavesFramesTopRowFirstWhenCaptureIsAsked) {
    std::filesystem::path dir = std::filesystem::path(ORVIK_BINARY_DIR) / "d3d8-capture";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    setenv("ORVIK_CAPTURE_DIR", dir.c_str(), 1);
    PlatformReloadSettings();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    D3DRECT topRow{0, 0, 32, 1};
    device_->Clear(1, &topRow, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    unsetenv("ORVIK_CAPTURE_DIR");
    PlatformReloadSettings();
    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        ASSERT_EQ(entry.path().extension(), ".png");
        uint32_t top = 0, bottom = 0;
        ASSERT_TRUE(PngCorners(entry.path().string(), &top, &bottom));
        EXPECT_EQ(top, 0xFFFFFFu);
        EXPECT_EQ(bottom, 0x102030u);
        ++saved;
    }
    EXPECT_EQ(saved, 2);
}

TEST_F(DeviceResourceTest, ADeviceWhoseWindowWasTakenOverStaysUsable) {
    IDirect3DTexture8* texture = MakeTexture(1, 1, {0xFF00FF00});
    IDirect3DDevice8* first = device_;
    device_ = nullptr;
    ASSERT_EQ(CreateDevice(16, 16), D3D_OK);
    // The first device can still draw and be released, but shows nothing more.
    first->SetTexture(0, texture);
    EXPECT_EQ(first->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    EXPECT_EQ(first->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    std::vector<unsigned char> rgba;
    UINT w = 0, h = 0;
    ASSERT_TRUE(D3D8ReadBackBuffer(first, rgba, w, h));
    EXPECT_EQ(rgba[0], 255);
    first->SetTexture(0, nullptr);
    texture->Release();
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(DeviceResourceTest, CreationFailsCleanlyOnBadParameters) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 32;
    pp.BackBufferHeight = 32;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
    EXPECT_EQ(direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);
    pp.BackBufferFormat = D3DFMT_P8;
    EXPECT_EQ(direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(direct3D_->CreateDevice(1, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(Direct3DCreate8(220), nullptr);
}

}  // namespace
