// Hooks for tests of code that runs on the device: other capabilities for the
// next device created, and the back buffer read back as pixels.
// The viewer's own code never includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"

// Capabilities the next created device reports instead of the GL limits. The
// override stays until cleared; a device keeps what it was created with.
struct D3D8CapsOverride {
    bool pow2Only = false;          // sets D3DPTEXTURECAPS_POW2
    bool squareOnly = false;        // sets D3DPTEXTURECAPS_SQUAREONLY
    bool noMipmaps = false;         // clears D3DPTEXTURECAPS_MIPMAP
    DWORD maxAspectRatio = 0;       // MaxTextureAspectRatio when not 0
    DWORD maxTextureWidth = 0;      // MaxTextureWidth when not 0
    DWORD maxTextureHeight = 0;     // MaxTextureHeight when not 0
    // The desktop's pixel format when not unknown (D3DFMT_R5G6B5 or
    // D3DFMT_X1R5G5B5 for a 16-bit desktop); it applies from the next call.
    D3DFORMAT desktopFormat = D3DFMT_UNKNOWN;
};

void D3D8SetCapsOverride(const D3D8CapsOverride& caps);
void D3D8ClearCapsOverride();

// The device's back buffer as 8-bit red, green, blue, alpha, top row first,
// width * 4 bytes a row. False when the device is not one of this platform's.
bool D3D8ReadBackBuffer(IDirect3DDevice8* device, std::vector<unsigned char>& rgba, UINT& width, UINT& height);

// Makes the next devices decode DXT textures themselves instead of handing the
// blocks to GL, so that both paths can be tested.
void D3D8ForceDxtDecode(bool force);

// Makes the next devices keep a copy of every texture level in memory beside
// GL, re-specifying changed levels with glTexImage2D, as on a GL without
// texture storage and read-back, so that both paths can be tested.
void D3D8KeepTextureCopies(bool keep);

// Bytes of a texture's levels or a buffer held in memory now (what lives in
// GL alone holds none); SIZE_MAX when it is not one of this platform's.
size_t D3D8BytesInMemory(IDirect3DResource8* resource);

// GL errors raised on the device's context since the last call (and clears
// them), so that tests can tell that every GL call the device made was valid.
unsigned D3D8TakeGlErrors(IDirect3DDevice8* device);
