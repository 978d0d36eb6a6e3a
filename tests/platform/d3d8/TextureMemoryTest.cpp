// The device's texture budget: what a texture costs, refusals beyond the
// budget with Direct3D's codes, the cost given back when the device lets go of
// a texture, and allocations that fail although the budget has room.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/PlatformSettings.h"
#include "tests/platform/d3d8/DeviceFixture.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr UINT MB = 1u << 20;

class TextureMemoryTest : public DeviceFixture {
protected:
    void UseBudget(const char* megabytes) {
        setenv("ORVIK_TEXTURE_MEMORY_MB", megabytes, 1);
        PlatformReloadSettings();
    }
    void TearDown() override {
        DeviceFixture::TearDown();
        unsetenv("ORVIK_TEXTURE_MEMORY_MB");
        PlatformReloadSettings();
    }
    HRESULT Make(UINT size, UINT levels, D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) {
        *texture = reinterpret_cast<IDirect3DTexture8*>(0x1);  // must be cleared on failure
        return device_->CreateTexture(size, size, levels, 0, format, pool, texture);
    }
};

TEST_F(TextureMemoryTest, TexturesAreHeldToTheBudgetAndGiveItBack) {
    UseBudget("4");
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 4 * MB);

    // One level of 512 x 512 X8R8G8B8: 1 MiB in memory and 1 MiB in GL.
    IDirect3DTexture8* first = nullptr;
    ASSERT_EQ(Make(512, 1, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &first), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 2 * MB);
    // A system-memory texture has no GL copy: 1 MiB.
    IDirect3DTexture8* system = nullptr;
    ASSERT_EQ(Make(512, 1, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &system), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 1 * MB);

    // Beyond the budget: out of memory for managed and system textures, out of
    // video memory for the default pool; nothing is made or counted.
    IDirect3DTexture8* refused = nullptr;
    EXPECT_EQ(Make(512, 1, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &refused), E_OUTOFMEMORY);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(Make(1024, 1, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &refused), E_OUTOFMEMORY);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(Make(512, 1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &refused), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 1 * MB);

    // A texture still set on a stage is still held: its cost comes back when the device lets go.
    ASSERT_EQ(device_->SetTexture(0, first), D3D_OK);
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 1 * MB);
    ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 3 * MB);
    system->Release();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 4 * MB);

    // A full chain counts every level: 256 x 256 A8R8G8B8 down to 1 x 1, twice.
    IDirect3DTexture8* chain = nullptr;
    ASSERT_EQ(Make(256, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &chain), D3D_OK);
    UINT levelBytes = 0;
    for (UINT size = 256; size >= 1; size /= 2) levelBytes += size * size * 4;
    EXPECT_EQ(device_->GetAvailableTextureMem(), 4 * MB - 2 * levelBytes);
    chain->Release();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 4 * MB);
}

// Levels that come to live in GL alone give their memory's share back, take it
// again while a lock brings them into memory, and are refused a lock when the
// budget has no room for them.
TEST_F(TextureMemoryTest, LevelsLivingInGlCountOnce) {
    UseBudget("4");
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Make(512, 1, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 2 * MB);
    texture->PreLoad();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 3 * MB);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 2 * MB);
    texture->UnlockRect(0);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 3 * MB);

    // A format GL takes only expanded keeps its bytes: 512 x 256 A8R3G3B2 is
    // 256 KiB in memory and 512 KiB in GL, before and after it is drawn.
    IDirect3DTexture8* expanded = nullptr;
    ASSERT_EQ(device_->CreateTexture(512, 256, 1, 0, D3DFMT_A8R3G3B2, D3DPOOL_MANAGED, &expanded), D3D_OK);
    expanded->PreLoad();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 3 * MB - 768 * 1024);

    // With no room left for the level's bytes its lock is refused, and it stays in GL.
    IDirect3DTexture8* filler = nullptr;
    ASSERT_EQ(Make(512, 1, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &filler), D3D_OK);
    IDirect3DTexture8* filler2 = nullptr;
    ASSERT_EQ(device_->CreateTexture(512, 448, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &filler2), D3D_OK);
    EXPECT_LT(device_->GetAvailableTextureMem(), 1 * MB);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), E_OUTOFMEMORY);
    filler2->Release();
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    texture->UnlockRect(0);
    filler->Release();
    expanded->Release();
    texture->Release();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 4 * MB);
}

TEST_F(TextureMemoryTest, DefaultBudgetIsHalfOfPhysicalMemory) {
    unsetenv("ORVIK_TEXTURE_MEMORY_MB");
    PlatformReloadSettings();
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    uint64_t half = static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) / 2;
    rlimit space{};
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY && space.rlim_cur / 4 * 3 < half)
        half = space.rlim_cur / 4 * 3;
    uint64_t expected = half < 0xFFFFFFFFu ? half : 0xFFFFFFFFu;
    EXPECT_EQ(device_->GetAvailableTextureMem(), expected);
}

// With room in the budget but not in the address space, the texture that cannot
// be allocated is refused with E_OUTOFMEMORY, and the device carries on.
TEST_F(TextureMemoryTest, AllocationFailureIsOutOfMemory) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    UseBudget("1000000");
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    EXPECT_EXIT(
        {
            rlimit space{};
            getrlimit(RLIMIT_AS, &space);
            space.rlim_cur = AddressSpaceInUse() + 128 * MB;
            setrlimit(RLIMIT_AS, &space);
            UINT before = device_->GetAvailableTextureMem();
            IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(0x1);
            HRESULT huge = device_->CreateTexture(8192, 8192, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
            if (huge != E_OUTOFMEMORY || texture != nullptr) std::_Exit(2);
            if (device_->GetAvailableTextureMem() != before) std::_Exit(3);
            IDirect3DVertexBuffer8* buffer = reinterpret_cast<IDirect3DVertexBuffer8*>(0x1);
            if (device_->CreateVertexBuffer(512 * MB, 0, 0, D3DPOOL_MANAGED, &buffer) != E_OUTOFMEMORY ||
                buffer != nullptr)
                std::_Exit(4);
            IDirect3DSurface8* surface = reinterpret_cast<IDirect3DSurface8*>(0x1);
            if (device_->CreateImageSurface(16384, 16384, D3DFMT_A8R8G8B8, &surface) != E_OUTOFMEMORY ||
                surface != nullptr)
                std::_Exit(5);
            // A surface larger than a 32-bit size can describe is no more to be had.
            if (device_->CreateImageSurface(65536, 65536, D3DFMT_A8R8G8B8, &surface) != E_OUTOFMEMORY ||
                surface != nullptr)
                std::_Exit(7);
            // Small things still work.
            if (device_->CreateTexture(64, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK)
                std::_Exit(6);
            texture->Release();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
