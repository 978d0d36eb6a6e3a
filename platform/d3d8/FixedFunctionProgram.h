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

// The state a program is built for; every other input is a uniform.
struct FixedFunctionKey {
    int rhw = 0, hasNormal = 0, hasDiffuse = 0, hasSpecular = 0;
    int lighting = 0, diffuseSource = 0, ambientSource = 0, emissiveSource = 0, normalizeNormals = 0;
    int lightCount = 0, lightType[MAX_SHADER_LIGHTS] = {};
    int vertexFogMode = 0, rangeFog = 0;
    int textureBound = 0, colorOp = 0, colorArg1 = 0, colorArg2 = 0, alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    int specularEnable = 0, fogMode = -1, fogUsesW = 0, alphaTest = 0, alphaFunc = 0;
    int flat = 0;
    int texTransform = 0;    // D3DTSS_TEXTURETRANSFORMFLAGS of stage 0 (count, projected bit)
    int texCoordFloats = 2;  // components the vertex gives for stage 0's set

    bool operator==(const FixedFunctionKey&) const = default;
};

class FixedFunctionProgram {
public:
    // Compiles and links for this state; false (with the GL log on stderr) on failure.
    bool Build(const FixedFunctionKey& key);
    void Destroy();

    FixedFunctionKey key;
    GLuint program = 0;
    // Uniform locations, filled by Build.
    GLint worldViewProj = -1, worldView = -1, pixelOffset = -1, rhwViewport = -1, textureMatrix = -1;
    GLint ambient = -1, matDiffuse = -1, matAmbient = -1, matEmissive = -1;
    GLint lightDiffuse = -1, lightAmbient = -1, lightPosition = -1, lightDirection = -1, lightAttenuation = -1,
          lightSpot = -1;
    GLint fogParams = -1, fogColor = -1;
    GLint textureFactor = -1, alphaRef = -1, sampler = -1;
};
