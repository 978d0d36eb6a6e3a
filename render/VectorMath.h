// The vector and matrix routines of the camera. Their exact arithmetic fixes the
// picture the viewer shows, so they are kept as they are.
#pragma once

#include "platform/d3d8/d3d8.h"

struct Vector3 {
    float x;
    float y;
    float z;
};

// out = v scaled to length 1; v unchanged when its squared length is within
// 0.00001 of 1; the zero vector when the squared length is at most 1e-10.
Vector3* NormalizeVector3(Vector3* out, const Vector3* v);

// out = a x b.
Vector3* CrossVector3(Vector3* out, const Vector3* a, const Vector3* b);

// Left-handed look-at view matrix for row vectors.
D3DMATRIX* LookAtMatrixLH(D3DMATRIX* out, const Vector3* eye, const Vector3* target, const Vector3* up);

// Left-handed perspective projection; fovY in radians.
D3DMATRIX* PerspectiveMatrixLH(D3DMATRIX* out, float fovY, float aspect, float zNear, float zFar);
