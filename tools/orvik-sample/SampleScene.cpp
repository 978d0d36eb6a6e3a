#include "tools/orvik-sample/SampleScene.h"

#include <cmath>
#include <cstdio>

namespace {

ScenePoint Lerp(ScenePoint a, ScenePoint b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

constexpr float kPi = 3.14159265f;

}  // namespace

void SampleScene::AddQuad(int texture, ScenePoint p0, ScenePoint p1, ScenePoint p2, ScenePoint p3, int nu, int nv,
                          float ru, float rv) {
    auto at = [&](int i, int j) {
        float u = static_cast<float>(i) / nu, v = static_cast<float>(j) / nv;
        return Lerp(Lerp(p0, p1, u), Lerp(p3, p2, u), v);
    };
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            ScenePoint a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            float u0 = ru * i / nu, u1 = ru * (i + 1) / nu, v0 = rv * j / nv, v1 = rv * (j + 1) / nv;
            triangles.push_back({{a, b, c}, {{u0, v0}, {u1, v0}, {u1, v1}}, texture});
            triangles.push_back({{a, c, d}, {{u0, v0}, {u1, v1}, {u0, v1}}, texture});
        }
}

void SampleScene::AddBox(int texture, ScenePoint l, ScenePoint h, float repeat) {
    // Texture v runs downwards, so walls are given top edge first.
    float rx = (h.x - l.x) / repeat, ry = (h.y - l.y) / repeat, rz = (h.z - l.z) / repeat;
    AddQuad(texture, {l.x, h.y, l.z}, {h.x, h.y, l.z}, {h.x, l.y, l.z}, {l.x, l.y, l.z}, 2, 2, rx, ry);
    AddQuad(texture, {h.x, h.y, h.z}, {l.x, h.y, h.z}, {l.x, l.y, h.z}, {h.x, l.y, h.z}, 2, 2, rx, ry);
    AddQuad(texture, {l.x, h.y, h.z}, {l.x, h.y, l.z}, {l.x, l.y, l.z}, {l.x, l.y, h.z}, 2, 2, rz, ry);
    AddQuad(texture, {h.x, h.y, l.z}, {h.x, h.y, h.z}, {h.x, l.y, h.z}, {h.x, l.y, l.z}, 2, 2, rz, ry);
    AddQuad(texture, {l.x, h.y, l.z}, {h.x, h.y, l.z}, {h.x, h.y, h.z}, {l.x, h.y, h.z}, 1, 1, rx, rz);
}

void SampleScene::AddCylinder(int texture, ScenePoint base, float radius, float height, int segments, int rings) {
    for (int s = 0; s < segments; ++s) {
        float a0 = 2 * kPi * s / segments, a1 = 2 * kPi * (s + 1) / segments;
        ScenePoint top0{base.x + radius * std::cos(a0), base.y + height, base.z + radius * std::sin(a0)};
        ScenePoint top1{base.x + radius * std::cos(a1), base.y + height, base.z + radius * std::sin(a1)};
        ScenePoint bottom1{top1.x, base.y, top1.z}, bottom0{top0.x, base.y, top0.z};
        size_t first = triangles.size();
        AddQuad(texture, top0, top1, bottom1, bottom0, 1, rings, 1, height / 10);
        // Texture u goes once around the whole cylinder, four times.
        for (size_t t = first; t < triangles.size(); ++t)
            for (auto& uv : triangles[t].uv) uv[0] = 4.0f * (s + uv[0]) / segments;
        ScenePoint centre{base.x, base.y + height, base.z};
        triangles.push_back({{centre, top0, top1},
                             {{0.5f, 0.5f},
                              {0.5f + 0.5f * std::cos(a0), 0.5f + 0.5f * std::sin(a0)},
                              {0.5f + 0.5f * std::cos(a1), 0.5f + 0.5f * std::sin(a1)}},
                             texture});
    }
}

void SampleScene::AddDisc(int texture, ScenePoint c, float inner, float outer, int segments) {
    for (int s = 0; s < segments; ++s) {
        float a0 = 2 * kPi * s / segments, a1 = 2 * kPi * (s + 1) / segments;
        ScenePoint i0{c.x + inner * std::cos(a0), c.y, c.z + inner * std::sin(a0)};
        ScenePoint i1{c.x + inner * std::cos(a1), c.y, c.z + inner * std::sin(a1)};
        ScenePoint o0{c.x + outer * std::cos(a0), c.y, c.z + outer * std::sin(a0)};
        ScenePoint o1{c.x + outer * std::cos(a1), c.y, c.z + outer * std::sin(a1)};
        float scale = 1.0f / 8.0f;
        auto uvOf = [&](ScenePoint p, float* uv) {
            uv[0] = (p.x - c.x) * scale;
            uv[1] = (p.z - c.z) * scale;
        };
        SceneTriangle a{{o0, o1, i1}, {}, texture}, b{{o0, i1, i0}, {}, texture};
        for (int k = 0; k < 3; ++k) {
            uvOf(a.p[k], a.uv[k]);
            uvOf(b.p[k], b.uv[k]);
        }
        triangles.push_back(a);
        triangles.push_back(b);
    }
}

void SampleScene::AddGableRoof(int texture, ScenePoint l, ScenePoint h, float ridgeHeight) {
    float midZ = (l.z + h.z) / 2, top = h.y + ridgeHeight;
    float eave = 1.5f;
    AddQuad(texture, {l.x - eave, top, midZ}, {h.x + eave, top, midZ}, {h.x + eave, h.y - 1, l.z - eave},
            {l.x - eave, h.y - 1, l.z - eave}, 4, 2, (h.x - l.x) / 6, 2);
    AddQuad(texture, {h.x + eave, top, midZ}, {l.x - eave, top, midZ}, {l.x - eave, h.y - 1, h.z + eave},
            {h.x + eave, h.y - 1, h.z + eave}, 4, 2, (h.x - l.x) / 6, 2);
    // Gable ends, as single triangles.
    triangles.push_back({{{l.x, h.y, l.z}, {l.x, top, midZ}, {l.x, h.y, h.z}}, {{0, 1}, {0.5f, 0}, {1, 1}}, texture});
    triangles.push_back({{{h.x, h.y, l.z}, {h.x, top, midZ}, {h.x, h.y, h.z}}, {{0, 1}, {0.5f, 0}, {1, 1}}, texture});
}

std::string SampleScene::MapText() const {
    std::string text = std::to_string(textureNames.size()) + "\n";
    for (const std::string& name : textureNames) text += name + "\n";
    text += std::to_string(triangles.size()) + "\n";
    char line[512];
    for (const SceneTriangle& t : triangles) {
        std::snprintf(line, sizeof line, "%g %g %g %g %g %g %g %g %g %d %g %g %g %g %g %g\n", t.p[0].x, t.p[0].y,
                      t.p[0].z, t.p[1].x, t.p[1].y, t.p[1].z, t.p[2].x, t.p[2].y, t.p[2].z, t.texture, t.uv[0][0],
                      t.uv[0][1], t.uv[1][0], t.uv[1][1], t.uv[2][0], t.uv[2][1]);
        text += line;
    }
    return text;
}

SampleScene BuildSampleScene() {
    SampleScene scene;
    enum { GRASS, BRICKS, PLANKS, STRIPES, MARBLE, STONE, GREYSTONE, GRILLE, TARGET, ROOF, PANEL };
    scene.textureNames = {"GRASS.DDS",  "BRICKS.BMP",    "PLANKS.BMP", "STRIPES.PPM", "MARBLE.PPM", "STONE.JPG",
                          "GREYSTONE.JPG", "GRILLE.PNG", "TARGET.PNG", "ROOF.TGA",    "PANEL.DIB"};

    // The ground, and the paving around the tower.
    scene.AddQuad(GRASS, {-120, 0, -120}, {120, 0, -120}, {120, 0, 120}, {-120, 0, 120}, 24, 24, 24, 24);
    scene.AddDisc(STONE, {0, 0.05f, 0}, 14, 32, 48);

    // Courtyard walls, 18 units high.
    const float w = 100, wallH = 18;
    scene.AddQuad(BRICKS, {-w, wallH, -w}, {w, wallH, -w}, {w, 0, -w}, {-w, 0, -w}, 20, 3, 20, 2);
    scene.AddQuad(BRICKS, {w, wallH, w}, {-w, wallH, w}, {-w, 0, w}, {w, 0, w}, 20, 3, 20, 2);
    scene.AddQuad(BRICKS, {-w, wallH, w}, {-w, wallH, -w}, {-w, 0, -w}, {-w, 0, w}, 20, 3, 20, 2);
    scene.AddQuad(BRICKS, {w, wallH, -w}, {w, wallH, w}, {w, 0, w}, {w, 0, -w}, 20, 3, 20, 2);

    // The tower on its pedestal.
    scene.AddBox(GREYSTONE, {-14, 0, -14}, {14, 3, 14}, 7);
    scene.AddCylinder(MARBLE, {0, 3, 0}, 9, 55, 40, 6);

    // Pillars in a ring.
    for (int i = 0; i < 8; ++i) {
        float a = 2 * 3.14159265f * i / 8;
        float x = 50 * std::cos(a), z = 50 * std::sin(a);
        scene.AddBox(STRIPES, {x - 2, 0, z - 2}, {x + 2, 26, z + 2}, 4);
    }

    // Crates.
    const float crates[][3] = {{-70, 0, -30}, {-70, 0, -22}, {-62, 0, -26}, {-70, 8, -26}, {30, 0, 75},
                               {38, 0, 75},   {34, 8, 75},   {-40, 0, 70},  {75, 0, 30},   {75, 0, 38}};
    for (const auto& c : crates) scene.AddBox(PLANKS, {c[0], c[1], c[2]}, {c[0] + 8, c[1] + 8, c[2] + 8}, 8);

    // A house with a tiled roof.
    scene.AddBox(PANEL, {50, 0, -80}, {80, 14, -58}, 7);
    scene.AddGableRoof(ROOF, {50, 0, -80}, {80, 14, -58}, 8);

    // A gate in the north wall and targets on the others.
    scene.AddQuad(GRILLE, {-12, 16, 99.5f}, {12, 16, 99.5f}, {12, 0, 99.5f}, {-12, 0, 99.5f}, 2, 2, 3, 2);
    scene.AddQuad(TARGET, {-99.5f, 16, 12}, {-99.5f, 16, -12}, {-99.5f, 2, -12}, {-99.5f, 2, 12}, 1, 1, 1, 1);
    scene.AddQuad(TARGET, {-12, 16, -99.5f}, {12, 16, -99.5f}, {12, 2, -99.5f}, {-12, 2, -99.5f}, 1, 1, 1, 1);
    scene.AddQuad(TARGET, {99.5f, 16, -12}, {99.5f, 16, 12}, {99.5f, 2, 12}, {99.5f, 2, -12}, 1, 1, 1, 1);
    return scene;
}
