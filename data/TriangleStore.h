// The level's triangles sorted by texture: 40 groups of 4000 records. A group's
// triangle count lives in the spare word of its last record, which the
// 4000th triangle shares.
#pragma once

#include "render/TriangleRecord.h"

constexpr int COUNT_RECORD = MAX_GROUP_TRIANGLES - 1;

extern TriangleRecord TriangleStore[MAX_TEXTURES][MAX_GROUP_TRIANGLES];  // defined in shell/Globals.cpp
