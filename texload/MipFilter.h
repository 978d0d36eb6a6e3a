// Mip generation: every level below a source level, computed from it.
#pragma once

#include "platform/d3d8/d3d8.h"

// Recomputes every level of the texture below sourceLevel (-1 counts as 0).
// Filter -1 means box, or point for a bump texture. With point or box each
// level is computed from the level just computed; with other filters every
// level is computed from the source level.
HRESULT FilterMipChain(IDirect3DTexture8* texture, const PALETTEENTRY* palette, UINT sourceLevel, DWORD filter);
