// Image files turned into device textures: the format each file layout gets,
// fitting to the device's limits, stored and computed mip levels, failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/d3d8/DeviceFixture.h"
#include "tests/support/TestSupport.h"
#include "texload/TextureFromFile.h"
#include "tools/orvik-sample/ImageWriters.h"

namespace {

void Put32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// An A8R8G8B8 DDS file: faces x levels pictures, each level filled by colorOf(face, level, x, y).
template <typename ColorOf>
Bytes MakeDds(UINT size, UINT levels, bool cube, ColorOf colorOf) {
    Bytes out = {'D', 'D', 'S', ' '};
    Put32(out, 124);
    Put32(out, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000);
    Put32(out, size);
    Put32(out, size);
    Put32(out, size * 4);
    Put32(out, 0);
    Put32(out, levels);
    for (int i = 0; i < 11; ++i) Put32(out, 0);
    Put32(out, 32);
    Put32(out, 0x41);
    Put32(out, 0);
    Put32(out, 32);
    Put32(out, 0x00FF0000);
    Put32(out, 0x0000FF00);
    Put32(out, 0x000000FF);
    Put32(out, 0xFF000000);
    Put32(out, 0x1000 | 0x400008);
    Put32(out, cube ? 0xFE00 : 0);
    for (int i = 0; i < 3; ++i) Put32(out, 0);
    for (int face = 0; face < (cube ? 6 : 1); ++face)
        for (UINT level = 0, s = size; level < levels; ++level, s = s > 1 ? s / 2 : 1)
            for (UINT y = 0; y < s; ++y)
                for (UINT x = 0; x < s; ++x) Put32(out, colorOf(face, level, x, y, s));
    return out;
}

Picture Gradient(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.Set(x, y, x * 255 / width, y * 255 / height, 128);
    return p;
}

class TextureFromFileTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
    }
    void TearDown() override {
        if (texture_) texture_->Release();
        texture_ = nullptr;
        D3D8ClearCapsOverride();
        DeviceFixture::TearDown();
        ASSERT_EQ(chdir(oldDir_), 0);
    }
    HRESULT Load(const std::string& name, const Bytes& bytes) {
        if (texture_) texture_->Release();
        texture_ = nullptr;
        EXPECT_TRUE(WriteFile(dir_.File(name), std::string(bytes.begin(), bytes.end())));
        return TextureFromFile(device_, name.c_str(), &texture_);
    }
    D3DSURFACE_DESC Desc(UINT level) {
        D3DSURFACE_DESC desc{};
        texture_->GetLevelDesc(level, &desc);
        return desc;
    }
    D3DFORMAT FormatOf(const std::string& name, const Bytes& bytes) {
        if (FAILED(Load(name, bytes))) return D3DFMT_UNKNOWN;
        return Desc(0).Format;
    }
    // A pixel of an A8R8G8B8 or X8R8G8B8 level.
    D3DCOLOR Texel(UINT level, UINT x, UINT y) {
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture_->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        D3DCOLOR c;
        std::memcpy(&c, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
        texture_->UnlockRect(level);
        return c;
    }

    TempDir dir_;
    char oldDir_[4096];
    IDirect3DTexture8* texture_ = nullptr;
};

TEST_F(TextureFromFileTest, EachFileLayoutGetsItsFormat) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    Picture picture = Gradient(32, 16);
    EXPECT_EQ(FormatOf("a.bmp", WriteBmp24(picture)), D3DFMT_X8R8G8B8);
    EXPECT_EQ(FormatOf("b.tga", WriteTgaRle24(picture)), D3DFMT_X8R8G8B8);
    EXPECT_EQ(FormatOf("c.jpg", WriteJpegColor(picture, 90)), D3DFMT_X8R8G8B8);
    EXPECT_EQ(FormatOf("d.jpg", WriteJpegGrey(picture, 90)), D3DFMT_L8);
    EXPECT_EQ(FormatOf("e.png", WritePngGrey(picture)), D3DFMT_L8);
    EXPECT_EQ(FormatOf("f.png", WritePngRgbTrns(picture, 0, 0, 128)), D3DFMT_A8R8G8B8);
    // Palettised bitmaps are all opaque; a palettised PNG with tRNS alpha is not.
    EXPECT_EQ(FormatOf("g.bmp", WriteBmp8(picture)), D3DFMT_X8R8G8B8);
    Picture holes = picture;
    holes.Set(3, 2, 0, 0, 0, 0);
    EXPECT_EQ(FormatOf("h.png", WritePngPaletteTrns(holes)), D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texel(0, 3, 2) >> 24, 0u);
    EXPECT_EQ(Texel(0, 4, 2) >> 24, 0xFFu);
    EXPECT_EQ(FormatOf("i.ppm", WritePpmBinary(picture)), D3DFMT_X8R8G8B8);
    EXPECT_EQ(FormatOf("j.dib", WriteBareDib24(picture)), D3DFMT_X8R8G8B8);
    EXPECT_EQ(Desc(0).Width, 32u);
    EXPECT_EQ(Desc(0).Height, 16u);
    EXPECT_EQ(texture_->GetLevelCount(), 6u);
    EXPECT_EQ(Desc(0).Pool, D3DPOOL_MANAGED);
}

TEST_F(TextureFromFileTest, ColourKeyOnAPalettisedBitmapKeepsItOpaque) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    Picture picture(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) picture.Set(x, y, 0, 0, 255);
    picture.Set(5, 1, 255, 0, 0);
    Bytes bmp = WriteBmp8(picture);
    ASSERT_TRUE(WriteFile(dir_.File("keyed.bmp"), std::string(bmp.begin(), bmp.end())));
    ASSERT_EQ(TextureFromFileEx(device_, "keyed.bmp", 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 0xFFFFFFFFu,
                                0xFFFFFFFFu, 0xFFFF0000u, nullptr, nullptr, &texture_),
              D3D_OK);
    // The keyed entry turns black; the file's palette has no alpha, so neither has the texture.
    EXPECT_EQ(Desc(0).Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Texel(0, 5, 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(Texel(0, 4, 1) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(TextureFromFileTest, PicturesWiderThanTheDeviceAreDecodedAndFitted) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    D3DCAPS8 caps{};
    device_->GetDeviceCaps(&caps);
    // A 20000 x 2 bitmap of 120 KB: brought to the device's width when loaded.
    ASSERT_EQ(Load("wide.bmp", WriteBmp24(Gradient(20000, 2))), D3D_OK);
    const UINT width = Desc(0).Width;
    EXPECT_LE(width, caps.MaxTextureWidth);
    EXPECT_GE(width, 2u);
    // The ramp keeps its course (the filter wraps round at the very edges).
    EXPECT_NEAR(static_cast<int>((Texel(0, width / 4, 0) >> 16) & 0xFF), 64, 4) << width;
    EXPECT_NEAR(static_cast<int>((Texel(0, width * 3 / 4, 1) >> 16) & 0xFF), 191, 4) << width;
    ASSERT_EQ(Load("wide.png", WritePngGrey(Gradient(16385, 2))), D3D_OK);
    EXPECT_EQ(Desc(0).Format, D3DFMT_L8);
    EXPECT_LE(Desc(0).Width, caps.MaxTextureWidth);
}

TEST_F(TextureFromFileTest, SameSizeLevelZeroIsAnExactCopy) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    Picture picture = Gradient(16, 16);
    ASSERT_EQ(Load("a.bmp", WriteBmp24(picture)), D3D_OK);
    for (int y = 0; y < 16; y += 5)
        for (int x = 0; x < 16; x += 3) {
            const uint8_t* p = picture.At(x, y);
            EXPECT_EQ(Texel(0, x, y) & 0xFFFFFF, static_cast<D3DCOLOR>(p[0] << 16 | p[1] << 8 | p[2])) << x << "," << y;
        }
}

TEST_F(TextureFromFileTest, PowerOfTwoDeviceRoundsUp) {
    D3D8CapsOverride caps;
    caps.pow2Only = true;
    D3D8SetCapsOverride(caps);
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    ASSERT_EQ(Load("a.bmp", WriteBmp24(Gradient(100, 60))), D3D_OK);
    EXPECT_EQ(Desc(0).Width, 128u);
    EXPECT_EQ(Desc(0).Height, 64u);
    EXPECT_EQ(texture_->GetLevelCount(), 8u);
    EXPECT_EQ(Desc(7).Width, 1u);
}

TEST_F(TextureFromFileTest, AspectLimitNarrowsBeforeRounding) {
    D3D8CapsOverride caps;
    caps.maxAspectRatio = 2;
    D3D8SetCapsOverride(caps);
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    ASSERT_EQ(Load("a.bmp", WriteBmp24(Gradient(256, 64))), D3D_OK);
    EXPECT_EQ(Desc(0).Width, 128u);
    EXPECT_EQ(Desc(0).Height, 64u);
}

TEST_F(TextureFromFileTest, StoredLevelsAreUsedAndTheRestAreBoxFiltered) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    // Levels 0 and 1 flat, level 2 (16 x 16) red on the left and blue on the right.
    Bytes dds = MakeDds(64, 3, false, [](int, UINT level, UINT x, UINT, UINT size) -> uint32_t {
        if (level == 0) return 0xFF102030;
        if (level == 1) return 0xFF405060;
        return x < size / 2 ? 0xFFFF0000 : 0xFF0000FF;
    });
    ASSERT_EQ(Load("levels.dds", dds), D3D_OK);
    ASSERT_EQ(texture_->GetLevelCount(), 7u);
    EXPECT_EQ(Texel(0, 5, 9), 0xFF102030u);
    EXPECT_EQ(Texel(1, 31, 0), 0xFF405060u);
    EXPECT_EQ(Texel(2, 7, 3), 0xFFFF0000u);
    EXPECT_EQ(Texel(2, 8, 3), 0xFF0000FFu);
    // Level 3 comes from level 2, not from level 0.
    EXPECT_EQ(Texel(3, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(3, 7, 7), 0xFF0000FFu);
    D3DCOLOR last = Texel(6, 0, 0);
    EXPECT_NEAR(static_cast<int>((last >> 16) & 0xFF), 128, 2);
    EXPECT_NEAR(static_cast<int>(last & 0xFF), 128, 2);
    EXPECT_EQ((last >> 8) & 0xFF, 0u);
}

TEST_F(TextureFromFileTest, CubeMapLoadsItsFirstFace) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    const uint32_t faceColours[6] = {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC, 0xFFDDEEFF, 0xFF000000};
    Bytes dds = MakeDds(8, 1, true, [&](int face, UINT, UINT, UINT, UINT) { return faceColours[face]; });
    ASSERT_EQ(Load("cube.dds", dds), D3D_OK);
    EXPECT_EQ(Desc(0).Width, 8u);
    EXPECT_EQ(Texel(0, 4, 4), faceColours[0]);
}

TEST_F(TextureFromFileTest, FailuresLeaveTheOutputAlone) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    IDirect3DTexture8* untouched = reinterpret_cast<IDirect3DTexture8*>(0x1234);
    ASSERT_TRUE(WriteFile(dir_.File("junk.bmp"), "this is no picture of any kind"));
    IDirect3DTexture8* out = untouched;
    EXPECT_EQ(TextureFromFile(device_, "junk.bmp", &out), static_cast<HRESULT>(0x88760B59u));
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(TextureFromFile(device_, "missing.bmp", &out), static_cast<HRESULT>(0x80070002u));
    EXPECT_EQ(out, untouched);
    ASSERT_TRUE(WriteFile(dir_.File("empty.png"), ""));
    EXPECT_LT(TextureFromFile(device_, "empty.png", &out), 0);
    EXPECT_EQ(TextureFromFile(device_, nullptr, &out), D3DERR_INVALIDCALL);
    EXPECT_EQ(TextureFromFile(nullptr, "junk.bmp", &out), D3DERR_INVALIDCALL);
    EXPECT_EQ(out, untouched);
}

TEST_F(TextureFromFileTest, FittingFollowsTheRules) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    // Nothing given: 256 x 256 with a full chain; a DXT request rounds up to whole blocks.
    UINT w = 0xFFFFFFFFu, h = 0xFFFFFFFFu, levels = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    ASSERT_EQ(FitTextureRequest(device_, &w, &h, &levels, 0, &format, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(w, 256u);
    EXPECT_EQ(h, 256u);
    EXPECT_EQ(levels, 9u);
    w = 6;
    h = 0xFFFFFFFFu;
    format = D3DFMT_DXT1;
    levels = 0xFFFFFFFFu;
    ASSERT_EQ(FitTextureRequest(device_, &w, &h, &levels, 0, &format, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(w, 8u);
    EXPECT_EQ(h, 8u);
    EXPECT_EQ(format, D3DFMT_DXT1);
    // Not a power of two: one level only.
    w = 10;
    h = 6;
    levels = 0;
    format = D3DFMT_X8R8G8B8;
    ASSERT_EQ(FitTextureRequest(device_, &w, &h, &levels, 0, &format, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(levels, 1u);
    // A format the device rejects is replaced by the best colour format that stands in for it.
    D3DDISPLAYMODE mode{};
    device_->GetDisplayMode(&mode);
    ASSERT_NE(direct3D_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE,
                                           D3DFMT_V8U8),
              D3D_OK);
    format = D3DFMT_A8P8;
    ASSERT_EQ(FitTextureRequest(device_, nullptr, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED), D3D_OK);
    bool palettesTaken = direct3D_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0,
                                                      D3DRTYPE_TEXTURE, D3DFMT_A8P8) == D3D_OK;
    EXPECT_EQ(format, palettesTaken ? D3DFMT_A8P8 : D3DFMT_A8R8G8B8);
    format = D3DFMT_V8U8;
    EXPECT_EQ(FitTextureRequest(device_, nullptr, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(FitTextureRequest(device_, nullptr, nullptr, nullptr, 0x8, &format, D3DPOOL_MANAGED),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(FitTextureRequest(device_, nullptr, nullptr, nullptr, 0, &format, static_cast<D3DPOOL>(7)),
              D3DERR_INVALIDCALL);
}

TEST_F(TextureFromFileTest, DefaultPoolLoadsThroughAStagingTexture) {
    ASSERT_EQ(CreateDevice(64, 64), D3D_OK);
    Bytes bmp = WriteBmp24(Gradient(16, 8));
    ASSERT_TRUE(WriteFile(dir_.File("a.bmp"), std::string(bmp.begin(), bmp.end())));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(TextureFromFileEx(device_, "a.bmp", 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, 0xFFFFFFFFu,
                                0xFFFFFFFFu, 0, nullptr, nullptr, &texture),
              D3D_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
