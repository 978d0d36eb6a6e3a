#include "platform/d3d8/VertexLayout.h"

VertexLayout DescribeFvf(DWORD fvf) {
    VertexLayout layout;
    if ((fvf & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2)) != 0) return layout;
    UINT offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: offset = 12; break;
    case D3DFVF_XYZRHW: offset = 16; layout.rhw = true; break;
    case D3DFVF_XYZB1: offset = 16; break;
    case D3DFVF_XYZB2: offset = 20; break;
    case D3DFVF_XYZB3: offset = 24; break;
    case D3DFVF_XYZB4: offset = 28; break;
    case D3DFVF_XYZB5: offset = 32; break;
    default: return layout;
    }
    layout.positionFloats = layout.rhw ? 4 : 3;
    if (fvf & D3DFVF_NORMAL) {
        if (layout.rhw) return layout;
        layout.normal = static_cast<int>(offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuse = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout.specular = static_cast<int>(offset);
        offset += 4;
    }
    layout.texSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (layout.texSets > 8) return layout;
    for (UINT i = 0; i < layout.texSets; ++i) {
        static const int floatsFor[4] = {2, 3, 4, 1};
        layout.texOffset[i] = static_cast<int>(offset);
        layout.texFloats[i] = floatsFor[(fvf >> (16 + 2 * i)) & 3];
        offset += 4 * static_cast<UINT>(layout.texFloats[i]);
    }
    layout.size = offset;
    layout.valid = true;
    return layout;
}
