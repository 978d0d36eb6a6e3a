// Turns the camera pose's eye and target into the view and projection
// transforms and sets them on the device, once per frame.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "render/Renderer.h"

class Camera {
public:
    D3DMATRIX view;
    D3DMATRIX projection;
    Renderer* renderer;

    Camera() : view{}, projection{}, renderer(nullptr) {}

    void SetRenderer(Renderer* owner);
    // pose: eye x, y, z, then target x, y, z (the first six floats of the camera pose).
    void Update(const float* pose, float farDistance);
};

extern Camera camera;  // defined with the other globals in shell/Globals.cpp
