// One level vertex and one stored triangle, the layout of a vertex buffer entry.
#pragma once

#include <cstdint>

constexpr int MAX_TEXTURES = 40;
constexpr int MAX_GROUP_TRIANGLES = 4000;

struct Vertex {
    float x;
    float y;
    float z;
    float u;
    float v;
};
static_assert(sizeof(Vertex) == 20, "a vertex is five floats");

struct TriangleRecord {
    Vertex vertex[3];
    int32_t spare;  // in a group's last record: the group's triangle count
};
