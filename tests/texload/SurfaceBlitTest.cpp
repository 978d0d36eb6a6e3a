// Results, rectangle checks and locking of BlitToSurface and
// BlitSurfaceToSurface, and the mip chains of FilterMipChain.
#include <gtest/gtest.h>

#include "tests/texload/PixelTestSupport.h"
#include "texload/FilterWord.h"
#include "texload/MipFilter.h"
#include "texload/SurfaceBlit.h"

namespace {

struct Surfaces {
    MemorySurface* dest = new MemorySurface(8, 8, D3DFMT_X8R8G8B8);
    MemorySurface* source = new MemorySurface(8, 8, D3DFMT_X8R8G8B8);
    std::vector<uint32_t> pixels = std::vector<uint32_t>(64, 0x123456);
    RECT all = {0, 0, 8, 8};
    ~Surfaces() {
        dest->Release();
        source->Release();
    }
    HRESULT Load(const RECT* destRect, DWORD filter, D3DFORMAT format = D3DFMT_X8R8G8B8,
                 const RECT* sourceRect = nullptr) {
        return BlitToSurface(dest, nullptr, destRect, pixels.data(), format, 32, nullptr, sourceRect ? sourceRect : &all,
                             filter, 0);
    }
};

TEST(BlitResults, MissingArgumentsAndBadFiltersAreInvalidCalls) {
    Surfaces s;
    EXPECT_EQ(BlitToSurface(nullptr, nullptr, nullptr, s.pixels.data(), D3DFMT_X8R8G8B8, 32, nullptr, &s.all, 1, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(BlitToSurface(s.dest, nullptr, nullptr, nullptr, D3DFMT_X8R8G8B8, 32, nullptr, &s.all, 1, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(BlitToSurface(s.dest, nullptr, nullptr, s.pixels.data(), D3DFMT_X8R8G8B8, 32, nullptr, nullptr, 1, 0),
              D3DERR_INVALIDCALL);
    for (DWORD filter : {0u, 6u, 0xFFFFu, 0x100001u, 0x80000004u, 0xFFFFFFFEu}) {
        EXPECT_EQ(s.Load(nullptr, filter), D3DERR_INVALIDCALL) << filter;
    }
    EXPECT_EQ(s.dest->locks, 0);
    EXPECT_EQ(BlitSurfaceToSurface(s.dest, nullptr, nullptr, nullptr, nullptr, nullptr, 1, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(BlitSurfaceToSurface(nullptr, nullptr, nullptr, s.source, nullptr, nullptr, 1, 0), D3DERR_INVALIDCALL);
}

TEST(BlitResults, RectanglesMustLieInsideTheirSurfaces) {
    Surfaces s;
    const RECT bad[] = {{-1, 0, 4, 4}, {0, 0, 9, 4}, {0, 0, 4, 9}, {5, 0, 4, 4}, {0, 5, 4, 4}};
    for (const RECT& rect : bad) {
        EXPECT_EQ(s.Load(&rect, FILTER_POINT), D3DERR_INVALIDCALL);
        EXPECT_EQ(BlitSurfaceToSurface(s.dest, nullptr, nullptr, s.source, nullptr, &rect, 1, 0), D3DERR_INVALIDCALL);
        EXPECT_EQ(BlitSurfaceToSurface(s.dest, nullptr, &rect, s.source, nullptr, nullptr, 1, 0), D3DERR_INVALIDCALL);
        // A source rectangle turned inside out or off the origin reads outside the pixels.
        if (rect.left < 0 || rect.left > rect.right || rect.top > rect.bottom) {
            EXPECT_EQ(s.Load(nullptr, FILTER_POINT, D3DFMT_X8R8G8B8, &rect), D3DERR_INVALIDCALL);
        }
    }
    EXPECT_EQ(s.dest->locks, 0);
    EXPECT_EQ(s.source->locks, 0);
    const RECT edge = {0, 0, 8, 8}, empty = {3, 3, 3, 5};
    EXPECT_EQ(s.Load(&edge, FILTER_POINT), S_OK);
    EXPECT_EQ(s.Load(&empty, FILTER_POINT), S_OK);
}

TEST(BlitResults, FormatFailuresAndLockFailures) {
    Surfaces s;
    EXPECT_EQ(s.Load(nullptr, FILTER_POINT, D3DFMT_D16), E_FAIL);
    EXPECT_EQ(s.Load(nullptr, FILTER_POINT, D3DFMT_Q8W8V8U8), E_FAIL);  // bump into colour
    // An empty rectangle is checked the same way before it writes nothing.
    const RECT empty = {3, 3, 3, 5};
    EXPECT_EQ(s.Load(&empty, FILTER_POINT, D3DFMT_D16), E_FAIL);
    EXPECT_EQ(s.Load(&empty, FILTER_POINT, D3DFMT_Q8W8V8U8), E_FAIL);
    EXPECT_EQ(s.Load(&empty, FILTER_POINT), S_OK);
    EXPECT_EQ(s.dest->locks, 0);
    s.dest->lockFailure = D3DERR_DEVICELOST;
    EXPECT_EQ(s.Load(nullptr, FILTER_POINT), D3DERR_DEVICELOST);
    s.dest->lockFailure = S_OK;
    s.source->lockFailure = D3DERR_DRIVERINTERNALERROR;
    EXPECT_EQ(BlitSurfaceToSurface(s.dest, nullptr, nullptr, s.source, nullptr, nullptr, 1, 0),
              D3DERR_DRIVERINTERNALERROR);
    EXPECT_FALSE(s.dest->locked);
}

TEST(BlitResults, DefaultFilterIsTriangleWithDitherOrPointForBump) {
    Surfaces s;
    FillRandom(s.source, 4);
    MemorySurface* small = new MemorySurface(5, 3, D3DFMT_A4R4G4B4);
    MemorySurface* explicitDest = new MemorySurface(5, 3, D3DFMT_A4R4G4B4);
    ASSERT_EQ(BlitSurfaceToSurface(small, nullptr, nullptr, s.source, nullptr, nullptr, FILTER_DEFAULT, 0), S_OK);
    ASSERT_EQ(BlitSurfaceToSurface(explicitDest, nullptr, nullptr, s.source, nullptr, nullptr,
                                   FILTER_TRIANGLE | FILTER_DITHER, 0),
              S_OK);
    EXPECT_EQ(small->bytes, explicitDest->bytes);
    MemorySurface* bump = new MemorySurface(8, 8, D3DFMT_V8U8);
    MemorySurface* bumpHalf = new MemorySurface(4, 4, D3DFMT_V8U8);
    MemorySurface* bumpPoint = new MemorySurface(4, 4, D3DFMT_V8U8);
    ASSERT_EQ(BlitSurfaceToSurface(bumpHalf, nullptr, nullptr, bump, nullptr, nullptr, FILTER_DEFAULT, 0), S_OK);
    ASSERT_EQ(BlitSurfaceToSurface(bumpPoint, nullptr, nullptr, bump, nullptr, nullptr, FILTER_POINT | FILTER_DITHER, 0),
              S_OK);
    EXPECT_EQ(bumpHalf->bytes, bumpPoint->bytes);
    for (MemorySurface* surface : {small, explicitDest, bump, bumpHalf, bumpPoint}) surface->Release();
}

TEST(SurfaceToSurface, LocksTheSourceReadOnlyAndUsesItsRectangle) {
    Surfaces s;
    FillRandom(s.source, 9);
    RECT part = {2, 3, 6, 7};
    RECT to = {0, 0, 4, 4};
    ASSERT_EQ(BlitSurfaceToSurface(s.dest, nullptr, &to, s.source, nullptr, &part, FILTER_NONE, 0), S_OK);
    EXPECT_EQ(s.source->lastLockFlags, D3DLOCK_READONLY);
    EXPECT_FALSE(s.source->locked);
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 4; ++x) EXPECT_EQ(SurfacePixel(s.dest, x, y), SurfacePixel(s.source, x + 2, y + 3));
    }
    // A DXT source is locked whole and its rectangle taken from the origin.
    MemorySurface* dxt = new MemorySurface(8, 8, D3DFMT_DXT1);
    ASSERT_EQ(BlitSurfaceToSurface(dxt, nullptr, nullptr, s.source, nullptr, nullptr, FILTER_NONE, 0), S_OK);
    RECT block = {4, 4, 8, 8};
    ASSERT_EQ(BlitSurfaceToSurface(s.dest, nullptr, &to, dxt, nullptr, &block, FILTER_NONE, 0), S_OK);
    MemorySurface* whole = new MemorySurface(8, 8, D3DFMT_X8R8G8B8);
    ASSERT_EQ(BlitSurfaceToSurface(whole, nullptr, nullptr, dxt, nullptr, nullptr, FILTER_NONE, 0), S_OK);
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 4; ++x) EXPECT_EQ(SurfacePixel(s.dest, x, y), SurfacePixel(whole, x + 4, y + 4));
    }
    dxt->Release();
    whole->Release();
}

// A 32 x 32 texture with noise at level 0.
MemoryTexture* NoiseTexture(D3DFORMAT format = D3DFMT_X8R8G8B8) {
    MemoryTexture* texture = new MemoryTexture(32, 32, 0, format);
    FillRandom(texture->Level(0), 21);
    return texture;
}

// Level `level` of a copy of the texture resampled straight from `from`.
std::vector<BYTE> Resampled(MemoryTexture* texture, UINT from, UINT level, DWORD filter) {
    MemoryTexture* copy = new MemoryTexture(32, 32, 0, D3DFMT_X8R8G8B8);
    EXPECT_EQ(BlitSurfaceToSurface(copy->Level(level), nullptr, nullptr, texture->Level(from), nullptr, nullptr,
                                   filter, 0),
              S_OK);
    std::vector<BYTE> bytes = copy->Level(level)->bytes;
    copy->Release();
    return bytes;
}

TEST(MipChain, BoxCascadesFromTheLevelJustComputed) {
    MemoryTexture* texture = NoiseTexture();
    ASSERT_EQ(texture->GetLevelCount(), 6u);
    ASSERT_EQ(FilterMipChain(texture, nullptr, 0, FILTER_BOX), S_OK);
    for (UINT level = 1; level < 6; ++level) {
        EXPECT_EQ(texture->Level(level)->bytes, Resampled(texture, level - 1, level, FILTER_BOX)) << level;
    }
    for (UINT level = 0; level < 6; ++level) {
        EXPECT_EQ(texture->Level(level)->RefCount(), 1u);
        EXPECT_FALSE(texture->Level(level)->locked);
    }
    texture->Release();
}

TEST(MipChain, TriangleComputesEveryLevelFromTheSourceLevel) {
    MemoryTexture* texture = NoiseTexture();
    FillRandom(texture->Level(1), 5);
    std::vector<BYTE> level0 = texture->Level(0)->bytes;
    ASSERT_EQ(FilterMipChain(texture, nullptr, 1, FILTER_TRIANGLE), S_OK);
    EXPECT_EQ(texture->Level(1)->locks, 4);  // read once per lower level
    for (UINT level = 2; level < 6; ++level) {
        EXPECT_EQ(texture->Level(level)->bytes, Resampled(texture, 1, level, FILTER_TRIANGLE)) << level;
    }
    EXPECT_NE(texture->Level(3)->bytes, Resampled(texture, 2, 3, FILTER_TRIANGLE));
    EXPECT_EQ(texture->Level(0)->bytes, level0);  // levels above the source are left alone
    texture->Release();
}

TEST(MipChain, DefaultsAndInvalidCalls) {
    MemoryTexture* texture = NoiseTexture();
    EXPECT_EQ(FilterMipChain(nullptr, nullptr, 0, FILTER_BOX), D3DERR_INVALIDCALL);
    EXPECT_EQ(FilterMipChain(texture, nullptr, 6, FILTER_BOX), D3DERR_INVALIDCALL);
    EXPECT_EQ(FilterMipChain(texture, nullptr, 0, 7), D3DERR_INVALIDCALL);
    EXPECT_EQ(FilterMipChain(texture, nullptr, 5, FILTER_BOX), S_OK);  // nothing below the last level
    // Level -1 counts as 0 and filter -1 is box for colour textures.
    ASSERT_EQ(FilterMipChain(texture, nullptr, UINT(-1), FILTER_DEFAULT), S_OK);
    EXPECT_EQ(texture->Level(1)->bytes, Resampled(texture, 0, 1, FILTER_BOX));
    EXPECT_EQ(texture->Level(4)->bytes, Resampled(texture, 3, 4, FILTER_BOX));
    texture->Release();
    // Bump textures default to point, which cascades too.
    MemoryTexture* bump = new MemoryTexture(8, 8, 0, D3DFMT_V8U8);
    FillRandom(bump->Level(0), 2);
    ASSERT_EQ(FilterMipChain(bump, nullptr, 0, FILTER_DEFAULT), S_OK);
    for (UINT level = 1; level < bump->GetLevelCount(); ++level) {
        for (UINT y = 0; y < bump->Level(level)->height; ++y) {
            for (UINT x = 0; x < bump->Level(level)->width; ++x) {
                EXPECT_EQ(std::memcmp(bump->Level(level)->Row(y) + 2 * x, bump->Level(level - 1)->Row(2 * y) + 4 * x, 2), 0);
            }
        }
    }
    EXPECT_EQ(FilterMipChain(bump, nullptr, 0, FILTER_BOX), E_FAIL);
    for (UINT level = 0; level < bump->GetLevelCount(); ++level) EXPECT_EQ(bump->Level(level)->RefCount(), 1u);
    bump->Release();
}

}  // namespace
