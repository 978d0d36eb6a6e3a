// The camera's arithmetic against worked figures: the projection the viewer
// uses, a look-at example, the normalisation thresholds and degenerate poses.
#include <gtest/gtest.h>

#include "render/VectorMath.h"

namespace {

// p * M for a row vector p = (x, y, z, 1).
void Transform(const D3DMATRIX& m, float x, float y, float z, float out[4]) {
    for (int c = 0; c < 4; ++c) out[c] = x * m.m[0][c] + y * m.m[1][c] + z * m.m[2][c] + m.m[3][c];
}

TEST(VectorMathTest, ViewerProjectionUsesEightyRadians) {
    D3DMATRIX p;
    PerspectiveMatrixLH(&p, 80.0f, 1.0f, 0.1f, 500.0f);
    EXPECT_NEAR(p._11, -0.8950830f, 1e-6f);
    EXPECT_NEAR(p._22, -0.8950830f, 1e-6f);
    EXPECT_NEAR(p._33, 1.0002000f, 1e-6f);
    EXPECT_EQ(p._34, 1.0f);
    EXPECT_NEAR(p._43, -0.1000200f, 1e-7f);
    for (float v : {p._12, p._13, p._14, p._21, p._23, p._24, p._31, p._32, p._41, p._42, p._44}) EXPECT_EQ(v, 0.0f);
    // Depth 0 at the near plane and 1 at the far plane.
    float nearPoint[4], farPoint[4];
    Transform(p, 0, 0, 0.1f, nearPoint);
    Transform(p, 0, 0, 500.0f, farPoint);
    EXPECT_NEAR(nearPoint[2] / nearPoint[3], 0.0f, 1e-6f);
    EXPECT_NEAR(farPoint[2] / farPoint[3], 1.0f, 1e-6f);
}

TEST(VectorMathTest, LookAtFromBehindTheOrigin) {
    Vector3 eye{0, 0, -10}, target{0, 0, 0}, up{0, -1, 0};
    D3DMATRIX v;
    LookAtMatrixLH(&v, &eye, &target, &up);
    // Columns are xaxis (-1,0,0), yaxis (0,-1,0), zaxis (0,0,1); row 4 is (0, 0, 10, 1).
    const float expected[4][4] = {{-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(v.m[r][c] + 0.0f, expected[r][c]) << r << "," << c;

    float view[4];
    Transform(v, 1, 1, 0, view);
    EXPECT_FLOAT_EQ(view[0], -1.0f);
    EXPECT_FLOAT_EQ(view[1], -1.0f);
    EXPECT_FLOAT_EQ(view[2], 10.0f);
    D3DMATRIX p;
    PerspectiveMatrixLH(&p, 80.0f, 1.0f, 0.1f, 500.0f);
    float clip[4];
    Transform(p, view[0], view[1], view[2], clip);
    // Right of and above the centre of the screen.
    EXPECT_NEAR(clip[0], 0.895f, 1e-3f);
    EXPECT_NEAR(clip[1], 0.895f, 1e-3f);
    EXPECT_NEAR(clip[2], 9.902f, 1e-3f);
    EXPECT_NEAR(clip[3], 10.0f, 1e-6f);
}

TEST(VectorMathTest, NormaliseThresholds) {
    Vector3 out;
    Vector3 almostUnit{1.0000025f, 0, 0};  // squared length about 1.000005
    NormalizeVector3(&out, &almostUnit);
    EXPECT_EQ(out.x, almostUnit.x);
    Vector3 tiny{0.000001f, 0, 0};  // squared length 1e-12
    NormalizeVector3(&out, &tiny);
    EXPECT_EQ(out.x, 0.0f);
    Vector3 small{0.001f, 0, 0};
    NormalizeVector3(&out, &small);
    EXPECT_FLOAT_EQ(out.x, 1.0f);
    // In place.
    Vector3 v{3, 4, 0};
    NormalizeVector3(&v, &v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
    Vector3 a{1, 0, 0}, b{0, 1, 0}, c;
    CrossVector3(&c, &a, &b);
    EXPECT_EQ(c.z, 1.0f);
}

TEST(VectorMathTest, DegeneratePosesGiveDegenerateViews) {
    Vector3 up{0, -1, 0};
    Vector3 same{5, 5, 5};
    D3DMATRIX v;
    LookAtMatrixLH(&v, &same, &same, &up);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(v.m[r][c] + 0.0f, (r == 3 && c == 3) ? 1.0f : 0.0f);

    // Straight down: the axes across the view vanish, so everything lands on the centre.
    Vector3 eye{0, 100, 0}, target{0, 0, 0};
    LookAtMatrixLH(&v, &eye, &target, &up);
    float view[4];
    Transform(v, 37, 0, -12, view);
    EXPECT_EQ(view[0] + 0.0f, 0.0f);
    EXPECT_EQ(view[1] + 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(view[2], 100.0f);
}

}  // namespace
