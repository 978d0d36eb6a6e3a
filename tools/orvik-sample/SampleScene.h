// The sample level's geometry: a walled courtyard with a tower, pillars,
// crates and a small house, written as MAP.MBM text.
#pragma once

#include <string>
#include <vector>

struct ScenePoint {
    float x, y, z;
};

struct SceneTriangle {
    ScenePoint p[3];
    float uv[3][2];
    int texture;
};

class SampleScene {
public:
    std::vector<std::string> textureNames;
    std::vector<SceneTriangle> triangles;

    // A quad p0 p1 p2 p3 (in order around its edge) cut into nu x nv cells, with
    // the texture repeated ru x rv times over it.
    void AddQuad(int texture, ScenePoint p0, ScenePoint p1, ScenePoint p2, ScenePoint p3, int nu, int nv, float ru,
                 float rv);
    // An axis-aligned box without its bottom face.
    void AddBox(int texture, ScenePoint low, ScenePoint high, float repeat);
    // An open cylinder around the vertical axis through centre, with a flat top.
    void AddCylinder(int texture, ScenePoint base, float radius, float height, int segments, int rings);
    // A flat ring on the ground between two radii.
    void AddDisc(int texture, ScenePoint centre, float inner, float outer, int segments);
    // A gable roof over a rectangle, ridge along x.
    void AddGableRoof(int texture, ScenePoint low, ScenePoint high, float ridgeHeight);

    std::string MapText() const;
};

// Builds the whole sample level with its texture names in MAP.MBM order.
SampleScene BuildSampleScene();
