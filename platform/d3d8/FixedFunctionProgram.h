// The GLSL program that does Direct3D 8's fixed-function work: transform,
// lighting without lights beyond eight, texture stage 0, fog and alpha test.
#pragma once

#include "platform/d3d8/GlHeaders.h"

// Attribute slots the vertex layouts bind to.
enum FixedFunctionAttribute : GLuint {
    ATTRIB_POSITION = 0,
    ATTRIB_DIFFUSE = 1,
    ATTRIB_SPECULAR = 2,
    ATTRIB_TEXCOORD = 3,
    ATTRIB_NORMAL = 4,
};

constexpr int MAX_SHADER_LIGHTS = 8;

class FixedFunctionProgram {
public:
    // Compiles and links; false (with the GL log on stderr) on failure.
    bool Build();
    void Destroy();

    GLuint program = 0;
    // Uniform locations, filled by Build.
    GLint worldViewProj = -1, worldView = -1, rhw = -1, pixelOffset = -1, rhwViewport = -1;
    GLint hasNormal = -1, hasDiffuse = -1, hasSpecular = -1;
    GLint lighting = -1, ambient = -1, matDiffuse = -1, matAmbient = -1, matEmissive = -1;
    GLint diffuseSource = -1, ambientSource = -1, emissiveSource = -1, normalizeNormals = -1;
    GLint lightCount = -1, lightType = -1, lightDiffuse = -1, lightAmbient = -1, lightPosition = -1,
          lightDirection = -1, lightAttenuation = -1, lightSpot = -1;
    GLint vertexFogMode = -1, fogMode = -1, fogUsesW = -1, fogParams = -1, fogColor = -1,
          rangeFog = -1;
    GLint colorOp = -1, colorArgs = -1, alphaOp = -1, alphaArgs = -1, textureBound = -1, textureFactor = -1;
    GLint specularEnable = -1, alphaTest = -1, alphaFunc = -1, alphaRef = -1, sampler = -1;
};
