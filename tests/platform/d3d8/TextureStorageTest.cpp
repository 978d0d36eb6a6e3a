// Where a texture's and a vertex buffer's bytes live: managed levels that GL
// hands back exactly live in GL alone once drawn with (or once another texture
// or buffer is made, or a frame is presented), vertex buffers once their lock
// ends; a lock brings the bytes back as they were written, and the pictures
// are the same as when everything keeps a copy in memory.
#include <cstring>
#include <utility>
#include <random>
#include <vector>

#include "tests/platform/d3d8/DeviceFixture.h"

namespace {

struct FormatCase {
    D3DFORMAT format;
    const char* name;
    bool livesInGl;  // GL holds it in its own layout
};

const FormatCase FORMATS[] = {
    {D3DFMT_A8R8G8B8, "A8R8G8B8", true}, {D3DFMT_X8R8G8B8, "X8R8G8B8", true},
    {D3DFMT_R8G8B8, "R8G8B8", true},     {D3DFMT_R5G6B5, "R5G6B5", true},
    {D3DFMT_X1R5G5B5, "X1R5G5B5", true}, {D3DFMT_A1R5G5B5, "A1R5G5B5", true},
    {D3DFMT_A4R4G4B4, "A4R4G4B4", true}, {D3DFMT_X4R4G4B4, "X4R4G4B4", true},
    {D3DFMT_R3G3B2, "R3G3B2", true},     {D3DFMT_A8R3G3B2, "A8R3G3B2", false},
    {D3DFMT_A8, "A8", true},             {D3DFMT_L8, "L8", true},
    {D3DFMT_A8L8, "A8L8", true},         {D3DFMT_A4L4, "A4L4", false},
    {D3DFMT_DXT1, "DXT1", true},         {D3DFMT_DXT2, "DXT2", true},
    {D3DFMT_DXT3, "DXT3", true},         {D3DFMT_DXT4, "DXT4", true},
    {D3DFMT_DXT5, "DXT5", true},
};

// Every level's bytes, level by level, as the levels' locks show them.
using Levels = std::vector<std::vector<uint8_t>>;

class TextureStorageTest : public DeviceFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        keepCopies_ = GetParam();
        D3D8KeepTextureCopies(keepCopies_);
        ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    static size_t TotalSize(IDirect3DTexture8* texture) {
        size_t total = 0;
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(level, &desc);
            total += desc.Size;
        }
        return total;
    }

    // Writes arbitrary bytes into every level and returns them.
    static Levels FillRandom(IDirect3DTexture8* texture, unsigned seed) {
        std::mt19937 random(seed);
        Levels written;
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(level, &desc);
            D3DLOCKED_RECT locked{};
            EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            std::vector<uint8_t> bytes(desc.Size);
            for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
            std::memcpy(locked.pBits, bytes.data(), bytes.size());
            texture->UnlockRect(level);
            written.push_back(bytes);
        }
        return written;
    }

    static Levels ReadLevels(IDirect3DTexture8* texture) {
        Levels read;
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(level, &desc);
            D3DLOCKED_RECT locked{};
            EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
            const auto* bytes = static_cast<const uint8_t*>(locked.pBits);
            read.emplace_back(bytes, bytes + desc.Size);
            texture->UnlockRect(level);
        }
        return read;
    }


    // What the texture holds in memory once it has settled.
    size_t SettledBytes(const FormatCase& f, size_t total) const { return f.livesInGl && !keepCopies_ ? 0 : total; }

    bool keepCopies_ = false;
};

TEST_P(TextureStorageTest, EveryLevelReadsBackAsWrittenWhereverItLives) {
    for (const FormatCase& f : FORMATS) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(16, 8, 0, 0, f.format, D3DPOOL_MANAGED, &texture), D3D_OK) << f.name;
        size_t total = TotalSize(texture);
        Levels written = FillRandom(texture, 7);
        // Until it is used, the texture worked on keeps its bytes.
        EXPECT_EQ(D3D8BytesInMemory(texture), total) << f.name;
        DrawTextured(texture);
        EXPECT_EQ(D3D8BytesInMemory(texture), SettledBytes(f, total)) << f.name;
        EXPECT_EQ(ReadLevels(texture), written) << f.name;
        // Read back for the locks, given back again by the next frame.
        EXPECT_EQ(D3D8BytesInMemory(texture), total) << f.name;
        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        EXPECT_EQ(D3D8BytesInMemory(texture), SettledBytes(f, total)) << f.name;

        // Written again after living in GL: the new bytes are drawn and read.
        Levels rewritten = FillRandom(texture, 11);
        DrawTextured(texture);
        EXPECT_EQ(ReadLevels(texture), rewritten) << f.name;
        EXPECT_EQ(D3D8TakeGlErrors(device_), 0u) << f.name;
        texture->Release();
    }
}

TEST_P(TextureStorageTest, MakingAnotherTextureSettlesTheLastButNotItsLockedLevel) {
    IDirect3DTexture8* first = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first), D3D_OK);
    Levels written = FillRandom(first, 3);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(first->LockRect(0, &locked, nullptr, 0), D3D_OK);

    // The next texture settles the first; the locked level keeps its memory.
    IDirect3DTexture8* second = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second), D3D_OK);
    size_t top = 8 * 8 * 4, all = top + 4 * 4 * 4;
    EXPECT_EQ(D3D8BytesInMemory(first), keepCopies_ ? all : top);
    // The lock still writes where it points, and a solid colour is drawn.
    for (int i = 0; i < 64; ++i) std::memcpy(static_cast<uint8_t*>(locked.pBits) + i * 4, "\x33\x66\x99\xFF", 4);
    ASSERT_EQ(first->UnlockRect(0), D3D_OK);
    EXPECT_EQ(DrawTextured(first), 0x996633u);
    written[0] = ReadLevels(first)[0];
    for (int i = 0; i < 64; ++i) EXPECT_EQ(std::memcmp(&written[0][i * 4], "\x33\x66\x99\xFF", 4), 0);
    EXPECT_EQ(ReadLevels(first)[1], written[1]);
    second->Release();
    first->Release();
}

// Larger levels go to GL in bands, each band's memory given back as GL takes it.
TEST_P(TextureStorageTest, ALevelOfManyBandsArrivesWhole) {
    constexpr UINT W = 4096, H = 2304;  // 36 MiB: three bands
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(W, H, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    auto pixel = [](UINT x, UINT y) { return (x * 2654435761u) ^ (y * 40503u) ^ (x >> 3); };
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < H; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
        for (UINT x = 0; x < W; ++x) row[x] = pixel(x, y);
    }
    texture->UnlockRect(0);
    texture->PreLoad();
    EXPECT_EQ(D3D8BytesInMemory(texture), keepCopies_ ? size_t{W} * H * 4 : 0u);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    size_t wrong = 0;
    for (UINT y = 0; y < H; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
        for (UINT x = 0; x < W; ++x) wrong += row[x] != pixel(x, y);
    }
    texture->UnlockRect(0);
    EXPECT_EQ(wrong, 0u);
    texture->Release();
}

// The unused bits of the X formats are kept for locks but sample as opaque:
// with the alpha test on, a texel whose unused bits are zero is still drawn.
TEST_P(TextureStorageTest, XFormatsSampleOpaqueWhateverTheirUnusedBits) {
    struct Case {
        D3DFORMAT format;
        std::vector<uint8_t> texel;
        D3DCOLOR drawn;
    };
    const Case cases[] = {{D3DFMT_X8R8G8B8, {0x33, 0x66, 0x99, 0x00}, 0x996633},
                          {D3DFMT_X1R5G5B5, {0x1F, 0x00}, 0x0000FF},
                          {D3DFMT_X4R4G4B4, {0xF0, 0x00}, 0x00FF00}};
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
    for (const Case& c : cases) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < 4; ++y)
            for (UINT x = 0; x < 4; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * c.texel.size(),
                            c.texel.data(), c.texel.size());
        texture->UnlockRect(0);
        D3DCOLOR drawn = DrawTextured(texture);
        EXPECT_EQ(drawn, c.drawn) << c.format;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(std::memcmp(locked.pBits, c.texel.data(), c.texel.size()), 0) << c.format;
        texture->UnlockRect(0);
        texture->Release();
    }
}

// A default-pool texture filled from system memory lives in GL alone too, and
// copies into a managed level land in its bytes wherever they live.
TEST_P(TextureStorageTest, UpdatesAndCopiesReachLevelsThatLiveInGl) {
    IDirect3DTexture8* system = nullptr;
    IDirect3DTexture8* video = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &system), D3D_OK);
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &video), D3D_OK);
    Levels written = FillRandom(system, 5);
    ASSERT_EQ(device_->UpdateTexture(system, video), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(D3D8BytesInMemory(video), keepCopies_ ? 256u : 0u);
    EXPECT_EQ(D3D8BytesInMemory(system), 256u);

    IDirect3DTexture8* managed = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), D3D_OK);
    Levels before = FillRandom(managed, 9);
    managed->PreLoad();
    IDirect3DSurface8* from = nullptr;
    IDirect3DSurface8* to = nullptr;
    system->GetSurfaceLevel(0, &from);
    managed->GetSurfaceLevel(0, &to);
    RECT corner{0, 0, 2, 2};
    POINT at{6, 6};
    ASSERT_EQ(device_->CopyRects(from, &corner, 1, to, &at), D3D_OK);
    from->Release();
    to->Release();
    // Pixels (6,6) to (7,7) are the system texture's (0,0) to (1,1); the rest stay.
    for (UINT y = 6; y < 8; ++y) std::memcpy(&before[0][(y * 8 + 6) * 4], &written[0][(y - 6) * 32], 8);
    EXPECT_EQ(ReadLevels(managed), before);
    EXPECT_EQ(D3D8TakeGlErrors(device_), 0u);
    managed->Release();
    video->Release();
    system->Release();
}

TEST_P(TextureStorageTest, VertexBuffersLiveInGlBetweenLocks) {
    // Two triangles covering the frame, drawn red; then the second half of the
    // buffer rewritten under a partial lock, moving the quad off the frame.
    ScreenVertex quad[6] = {{0, 0, 0.5f, 1, 0xFFFF0000},  {32, 0, 0.5f, 1, 0xFFFF0000},
                            {0, 32, 0.5f, 1, 0xFFFF0000}, {32, 0, 0.5f, 1, 0xFFFF0000},
                            {32, 32, 0.5f, 1, 0xFFFF0000}, {0, 32, 0.5f, 1, 0xFFFF0000}};
    IDirect3DVertexBuffer8* buffer = MakeBuffer(quad, sizeof quad, SCREEN_FVF);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(D3D8BytesInMemory(buffer), keepCopies_ ? sizeof quad : 0u);
    auto drawBuffer = [&] {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->BeginScene();
        device_->SetVertexShader(SCREEN_FVF);
        device_->SetStreamSource(0, buffer, sizeof(ScreenVertex));
        device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        device_->EndScene();
        std::vector<D3DCOLOR> frame = ReadBack();
        return std::make_pair(Pixel(frame, 4, 20) & 0xFFFFFF, Pixel(frame, 28, 28) & 0xFFFFFF);
    };
    EXPECT_EQ(drawBuffer(), std::make_pair(D3DCOLOR{0xFF0000}, D3DCOLOR{0xFF0000}));

    BYTE* bytes = nullptr;
    ASSERT_EQ(buffer->Lock(3 * sizeof(ScreenVertex), 3 * sizeof(ScreenVertex), &bytes, 0), D3D_OK);
    EXPECT_EQ(std::memcmp(bytes, &quad[3], 3 * sizeof(ScreenVertex)), 0);
    for (int i = 3; i < 6; ++i) quad[i].x += 100;
    std::memcpy(bytes, &quad[3], 3 * sizeof(ScreenVertex));
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(D3D8BytesInMemory(buffer), keepCopies_ ? sizeof quad : 0u);
    // The first triangle is still there; the second has gone.
    EXPECT_EQ(drawBuffer(), std::make_pair(D3DCOLOR{0xFF0000}, D3DCOLOR{0x000000}));
    ASSERT_EQ(buffer->Lock(0, 0, &bytes, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(bytes, quad, sizeof quad), 0);
    buffer->Unlock();
    EXPECT_EQ(D3D8TakeGlErrors(device_), 0u);
    buffer->Release();
}

INSTANTIATE_TEST_SUITE_P(Storage, TextureStorageTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("CopiesKept") : std::string("LivingInGl");
                         });

}  // namespace
