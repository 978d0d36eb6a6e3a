// Where each part of a flexible-vertex-format vertex lies.
#pragma once

#include "platform/d3d8/d3d8.h"

struct VertexLayout {
    bool valid = false;
    bool rhw = false;           // pre-transformed screen position x, y, z, 1/w
    UINT positionFloats = 0;    // 3 or 4
    UINT size = 0;              // bytes of the whole vertex
    int normal = -1, diffuse = -1, specular = -1;  // byte offsets, -1 when absent
    UINT texSets = 0;
    int texOffset[8] = {};
    int texFloats[8] = {};
};

// Decodes an FVF code; valid false for codes Direct3D 8 rejects (a position is
// required; shader handles have bit 0 set).
VertexLayout DescribeFvf(DWORD fvf);
