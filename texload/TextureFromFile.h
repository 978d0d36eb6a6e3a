// Turning an image file into a Direct3D 8 texture with a full mip chain,
// fitted to what the device supports.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "texload/SourceImageInfo.h"

// The viewer's entry point: the file's own size and format (fitted to the
// device), a full mip chain, the managed pool and the default filters.
HRESULT TextureFromFile(IDirect3DDevice8* device, const char* fileName, IDirect3DTexture8** texture);

// Width, height 0 or -1 take the image's size; mip levels 0 or -1 a full chain;
// format 0 a format derived from the image; filter and mip filter -1 the
// defaults. colorKey 0 is no key. info and palette may be null.
HRESULT TextureFromFileEx(IDirect3DDevice8* device, const char* fileName, UINT width, UINT height, UINT mipLevels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                          D3DCOLOR colorKey, SourceImageInfo* info, PALETTEENTRY* palette,
                          IDirect3DTexture8** texture);

HRESULT TextureFromMemory(IDirect3DDevice8* device, const void* data, UINT size, UINT width, UINT height,
                          UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                          DWORD mipFilter, D3DCOLOR colorKey, SourceImageInfo* info, PALETTEENTRY* palette,
                          IDirect3DTexture8** texture);

// Brings a texture request within the device's limits. Null pointers count as
// the defaults (-1, or format 0) and are not written back.
HRESULT FitTextureRequest(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage,
                          D3DFORMAT* format, D3DPOOL pool);
