#include "render/VectorMath.h"

#include <cmath>
#include <cstring>

Vector3* NormalizeVector3(Vector3* out, const Vector3* v) {
    float s = v->x * v->x + v->y * v->y + v->z * v->z;
    float off = s - 1.0f;
    if (off >= -0.00001f && off <= 0.00001f) {
        *out = *v;
        return out;
    }
    if (s <= 1e-10f) {
        *out = Vector3{0.0f, 0.0f, 0.0f};
        return out;
    }
    float k = 1.0f / std::sqrt(s);
    Vector3 scaled{v->x * k, v->y * k, v->z * k};
    *out = scaled;
    return out;
}

Vector3* CrossVector3(Vector3* out, const Vector3* a, const Vector3* b) {
    Vector3 cross{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
    *out = cross;
    return out;
}

namespace {

// Summed in this order: y, then x, then z.
float DotWithEye(const Vector3& a, const Vector3& eye) { return a.y * eye.y + a.x * eye.x + a.z * eye.z; }

}  // namespace

D3DMATRIX* LookAtMatrixLH(D3DMATRIX* out, const Vector3* eye, const Vector3* target, const Vector3* up) {
    Vector3 difference{target->x - eye->x, target->y - eye->y, target->z - eye->z};
    Vector3 zaxis;
    NormalizeVector3(&zaxis, &difference);
    Vector3 xaxis;
    CrossVector3(&xaxis, up, &zaxis);
    NormalizeVector3(&xaxis, &xaxis);
    Vector3 yaxis;
    CrossVector3(&yaxis, &zaxis, &xaxis);

    out->_11 = xaxis.x;
    out->_12 = yaxis.x;
    out->_13 = zaxis.x;
    out->_14 = 0.0f;
    out->_21 = xaxis.y;
    out->_22 = yaxis.y;
    out->_23 = zaxis.y;
    out->_24 = 0.0f;
    out->_31 = xaxis.z;
    out->_32 = yaxis.z;
    out->_33 = zaxis.z;
    out->_34 = 0.0f;
    out->_41 = -DotWithEye(xaxis, *eye);
    out->_42 = -DotWithEye(yaxis, *eye);
    out->_43 = -DotWithEye(zaxis, *eye);
    out->_44 = 1.0f;
    return out;
}

D3DMATRIX* PerspectiveMatrixLH(D3DMATRIX* out, float fovY, float aspect, float zNear, float zFar) {
    float half = fovY * 0.5f;
    float c = static_cast<float>(std::cos(static_cast<double>(half)));
    float s = static_cast<float>(std::sin(static_cast<double>(half)));
    float h = c / s;
    float w = h / aspect;
    float q = zFar / (zFar - zNear);
    std::memset(out, 0, sizeof *out);
    out->_11 = w;
    out->_22 = h;
    out->_33 = q;
    out->_34 = 1.0f;
    out->_43 = -zNear * q;
    return out;
}
