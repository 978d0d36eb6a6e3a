// Texture loads that run out of room: beyond the device's texture budget, out
// of address space in the middle of a transfer, and names that are no files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/PlatformSettings.h"
#include "tests/platform/d3d8/DeviceFixture.h"
#include "tests/support/NonRegularFiles.h"
#include "tests/support/TestSupport.h"
#include "texload/SurfaceBlit.h"
#include "texload/TextureFromFile.h"
#include "tools/orvik-sample/ImageWriters.h"

namespace {

constexpr UINT MB = 1u << 20;
IDirect3DTexture8* const UNTOUCHED = reinterpret_cast<IDirect3DTexture8*>(0x1234);

class TextureLimitsTest : public DeviceFixture {
protected:
    void TearDown() override {
        DeviceFixture::TearDown();
        unsetenv("ORVIK_TEXTURE_MEMORY_MB");
        PlatformReloadSettings();
    }
    void UseBudget(const char* megabytes) {
        setenv("ORVIK_TEXTURE_MEMORY_MB", megabytes, 1);
        PlatformReloadSettings();
    }
    std::string WritePicture(const TempDir& dir, const std::string& name, int size) {
        Picture picture(size, size);
        Bytes bytes = WriteBmp24(picture);
        EXPECT_TRUE(WriteFile(dir.File(name), std::string(bytes.begin(), bytes.end())));
        return dir.File(name);
    }
};

TEST_F(TextureLimitsTest, LoadBeyondTheBudgetFailsAndLeavesTheOutputAlone) {
    UseBudget("2");
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    // 512 x 512 as X8R8G8B8 with its chain takes more than 2 MiB in memory and in GL.
    TempDir dir;
    std::string big = WritePicture(dir, "big.bmp", 512);
    IDirect3DTexture8* out = UNTOUCHED;
    EXPECT_EQ(TextureFromFile(device_, big.c_str(), &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, UNTOUCHED);
    EXPECT_EQ(TextureFromFileEx(device_, big.c_str(), UINT(-1), UINT(-1), UINT(-1), 0, D3DFMT_UNKNOWN,
                                D3DPOOL_DEFAULT, UINT(-1), UINT(-1), 0, nullptr, nullptr, &out),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(out, UNTOUCHED);
    EXPECT_EQ(device_->GetAvailableTextureMem(), 2 * MB);

    // What fits still loads, and gives its memory back when released.
    std::string small = WritePicture(dir, "small.bmp", 64);
    ASSERT_EQ(TextureFromFile(device_, small.c_str(), &out), D3D_OK);
    EXPECT_LT(device_->GetAvailableTextureMem(), 2 * MB);
    out->Release();
    EXPECT_EQ(device_->GetAvailableTextureMem(), 2 * MB);
}

TEST_F(TextureLimitsTest, NamesThatAreNoFilesFailAtOnce) {
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    TempDir dir;
    NonRegularFiles special = MakeNonRegularFiles(dir, "wall");
    for (const std::string& name : special.All()) {
        SCOPED_TRACE(name);
        IDirect3DTexture8* out = UNTOUCHED;
        HRESULT result = S_OK;
        ASSERT_TRUE(ReturnsWithin(5, [&] { result = TextureFromFile(device_, name.c_str(), &out); }, special.fifo));
        EXPECT_EQ(result, static_cast<HRESULT>(0x80070005u));  // access denied
        EXPECT_EQ(out, UNTOUCHED);
    }
}

// A transfer whose row buffers cannot be allocated fails with E_OUTOFMEMORY and
// leaves the level unlocked; the loader hands the code on and keeps nothing.
TEST_F(TextureLimitsTest, TransferWithoutMemoryIsOutOfMemory) {
    constexpr LONG SOURCE_WIDTH = 1 << 20;
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EQ(CreateDevice(32, 32), D3D_OK);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8192, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    std::vector<D3DCOLOR> source(SOURCE_WIDTH * 8, 0xFF336699u);
    RECT whole{0, 0, SOURCE_WIDTH, 8};
    EXPECT_EXIT(
        {
            rlimit space{};
            getrlimit(RLIMIT_AS, &space);
            space.rlim_cur = AddressSpaceInUse() + 64 * 1024;
            setrlimit(RLIMIT_AS, &space);
            // Narrowing with the triangle filter needs rows of floats far beyond the limit.
            HRESULT result = BlitToSurface(level, nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, SOURCE_WIDTH * 4,
                                           nullptr, &whole, 4 /* triangle */, 0);
            if (result != E_OUTOFMEMORY) std::_Exit(2);
            D3DLOCKED_RECT locked{};
            if (level->LockRect(&locked, nullptr, 0) != D3D_OK) std::_Exit(3);
            level->UnlockRect();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    level->Release();
    texture->Release();
}

}  // namespace
