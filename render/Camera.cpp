#include "render/Camera.h"

#include "render/VectorMath.h"

void Camera::SetRenderer(Renderer* owner) { renderer = owner; }

void Camera::Update(const float* pose, float farDistance) {
    // The up vector points down and the field of view is 80 radians; the two
    // inversions they cause cancel, giving an upright, unmirrored picture.
    Vector3 up{0.0f, -1.0f, 0.0f};
    Vector3 target{pose[3], pose[4], pose[5]};
    Vector3 eye{pose[0], pose[1], pose[2]};
    LookAtMatrixLH(&view, &eye, &target, &up);
    renderer->device->SetTransform(D3DTS_VIEW, &view);
    PerspectiveMatrixLH(&projection, 80.0f, 1.0f, 0.1f, farDistance);
    renderer->device->SetTransform(D3DTS_PROJECTION, &projection);
}
