// The groups the playback draws every frame, in order.
#pragma once

#include <cstdint>

#include "render/TriangleGroup.h"

constexpr int MAX_DRAW_LIST = 255;

class DrawList {
public:
    TriangleGroup* groups[MAX_DRAW_LIST];
    int32_t count;

    DrawList() : groups{}, count(0) {}

    // Lists the first n groups of the array (at most 255).
    void Fill(TriangleGroup* array, int32_t n);
    void DrawAll();
};

extern DrawList drawList;  // defined with the other globals in shell/Globals.cpp
