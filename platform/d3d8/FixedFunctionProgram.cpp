#include "platform/d3d8/FixedFunctionProgram.h"

#include <cstdio>
#include <string>

namespace {

// Positions arrive in Direct3D's clip space (row vectors, depth 0..w) and are
// turned into GL's: depth -w..w, y flipped so that row 0 of the render target is
// the top row, and shifted half a pixel so pixel centres sit on whole screen
// coordinates as Direct3D 8 puts them.
const char* vertexSource = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aDiffuseIn;
layout(location = 2) in vec4 aSpecularIn;
layout(location = 3) in vec4 aTexCoord;
layout(location = 4) in vec3 aNormal;

uniform mat4 uWorldViewProj;
uniform mat4 uWorldView;
uniform mat4 uTextureMatrix;
uniform vec2 uPixelOffset;
uniform vec4 uRhwViewport;
uniform vec4 uAmbient, uMatDiffuse, uMatAmbient, uMatEmissive;
uniform vec4 uLightDiffuse[8], uLightAmbient[8], uLightPosition[8], uLightDirection[8];
uniform vec4 uLightAttenuation[8];
uniform vec4 uLightSpot[8];
uniform vec4 uFogParams;
#ifdef GL_ES
uniform float uPointSize;
#endif

SHADE out vec4 vDiffuse;
SHADE out vec4 vSpecular;
out vec2 vTexCoord;
out float vFog;

// Vertex colours in the order the GL gives them.
vec4 aDiffuse, aSpecular;

vec4 MaterialColour(int source, vec4 material) {
    if (source == 1 && uHasDiffuse) return aDiffuse;
    if (source == 2 && uHasSpecular) return aSpecular;
    return material;
}

float FogFactor(int mode, float d) {
    if (mode == 1) return exp(-uFogParams.x * d);
    if (mode == 2) { float e = uFogParams.x * d; return exp(-e * e); }
    if (mode == 3) return (uFogParams.z - d) * uFogParams.w;
    return 1.0;
}

void main() {
    aDiffuse = VERTEX_COLOUR(aDiffuseIn);
    aSpecular = VERTEX_COLOUR(aSpecularIn);
    vec4 clip;
    vec3 eye = vec3(0.0);
    if (uRhw) {
        float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
        vec2 ndc = (aPosition.xy + 0.5 - uRhwViewport.xy) * uRhwViewport.zw - 1.0;
        gl_Position = vec4(ndc * w, (2.0 * aPosition.z - 1.0) * w, w);
        clip = vec4(0.0, 0.0, aPosition.z, w);
    } else {
        vec4 p = vec4(aPosition.xyz, 1.0);
        clip = uWorldViewProj * p;
        eye = (uWorldView * p).xyz;
        gl_Position = vec4(clip.x + uPixelOffset.x * clip.w, -clip.y + uPixelOffset.y * clip.w,
                           2.0 * clip.z - clip.w, clip.w);
    }

    vec4 diffuse = uHasDiffuse ? aDiffuse : vec4(1.0);
    vec4 specular = uHasSpecular ? aSpecular : vec4(0.0);
    if (uLighting && !uRhw) {
        vec4 matDiffuse = MaterialColour(uDiffuseSource, uMatDiffuse);
        vec4 matAmbient = MaterialColour(uAmbientSource, uMatAmbient);
        vec4 matEmissive = MaterialColour(uEmissiveSource, uMatEmissive);
        vec3 normal = uHasNormal ? mat3(uWorldView) * aNormal : vec3(0.0);
        if (uNormalizeNormals && dot(normal, normal) > 0.0) normal = normalize(normal);
        vec3 ambient = uAmbient.rgb;
        vec3 lit = vec3(0.0);
        for (int i = 0; i < uLightCount; ++i) {
            vec3 toLight;
            float attenuation = 1.0;
            if (uLightType[i] == 3) {
                toLight = -uLightDirection[i].xyz;
            } else {
                vec3 offset = uLightPosition[i].xyz - eye;
                float d = length(offset);
                if (d > uLightAttenuation[i].w) continue;
                toLight = d > 0.0 ? offset / d : vec3(0.0);
                float a = uLightAttenuation[i].x + uLightAttenuation[i].y * d + uLightAttenuation[i].z * d * d;
                attenuation = a > 0.0 ? 1.0 / a : 1.0;
                if (uLightType[i] == 2) {
                    float rho = dot(-toLight, uLightDirection[i].xyz);
                    float cosTheta = uLightSpot[i].x, cosPhi = uLightSpot[i].y;
                    if (rho <= cosPhi) attenuation = 0.0;
                    else if (rho < cosTheta)
                        attenuation *= pow((rho - cosPhi) / max(cosTheta - cosPhi, 1e-6), uLightSpot[i].z);
                }
            }
            ambient += uLightAmbient[i].rgb * attenuation;
            lit += uLightDiffuse[i].rgb * max(dot(normal, toLight), 0.0) * attenuation;
        }
        diffuse = vec4(clamp(matEmissive.rgb + ambient * matAmbient.rgb + lit * matDiffuse.rgb, 0.0, 1.0),
                       matDiffuse.a);
    }
    vDiffuse = diffuse;
    vSpecular = specular;
    vTexCoord = aTexCoord.xy;
    if (uTexTransform != 0) {
        // Components the vertex lacks are 0, except the one after the last given, which is 1.
        vec4 t = vec4(0.0);
        for (int i = 0; i < 4; ++i) t[i] = i < uTexCoordFloats ? aTexCoord[i] : (i == uTexCoordFloats ? 1.0 : 0.0);
        vec4 m = uTextureMatrix * t;
        int count = uTexTransform & 255;
        vTexCoord = m.xy;
        if ((uTexTransform & 256) != 0 && count >= 2) vTexCoord /= m[count - 1];
    }

    float fogDistance = uRangeFog ? length(eye) : eye.z;
    vFog = uVertexFogMode != 0 ? clamp(FogFactor(uVertexFogMode, fogDistance), 0.0, 1.0) : specular.a;
#ifdef GL_ES
    gl_PointSize = uPointSize;
#endif
}
)";

// Texture stage 0 of Direct3D 8, then specular, fog and alpha test. Table fog
// takes the eye distance w (1 / gl_FragCoord.w) under a perspective projection,
// else the depth value.
const char* fragmentSource = R"(
SHADE in vec4 vDiffuse;
SHADE in vec4 vSpecular;
in vec2 vTexCoord;
in float vFog;

uniform sampler2D uTexture;
uniform vec4 uTextureFactor;
uniform vec4 uFogParams;
uniform vec3 uFogColor;
uniform float uAlphaRef;

out vec4 fragColour;

vec4 texel;

vec4 Argument(int arg, vec4 current) {
    vec4 v;
    int select = arg & 15;
    if (select == 0) v = vDiffuse;
    else if (select == 1) v = current;
    else if (select == 2) v = texel;
    else if (select == 3) v = uTextureFactor;
    else if (select == 4) v = vSpecular;
    else v = vec4(0.0);
    if ((arg & 16) != 0) v = 1.0 - v;
    if ((arg & 32) != 0) v = vec4(v.a);
    return v;
}

bool UsesTexture(int op, ivec2 args) {
    if (op == 2) return (args.x & 15) == 2;
    if (op == 3) return (args.y & 15) == 2;
    return (args.x & 15) == 2 || (args.y & 15) == 2 || op == 13 || op == 15;
}

vec4 Combine(int op, vec4 a, vec4 b, vec4 current) {
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 4) return a * b;
    if (op == 5) return a * b * 2.0;
    if (op == 6) return a * b * 4.0;
    if (op == 7) return a + b;
    if (op == 8) return a + b - 0.5;
    if (op == 9) return (a + b - 0.5) * 2.0;
    if (op == 10) return a - b;
    if (op == 11) return a + b - a * b;
    if (op == 12) return mix(b, a, vDiffuse.a);
    if (op == 13) return mix(b, a, texel.a);
    if (op == 14) return mix(b, a, uTextureFactor.a);
    if (op == 15) return a + b * (1.0 - texel.a);
    if (op == 16) return mix(b, a, current.a);
    if (op == 18) return vec4(a.rgb + a.a * b.rgb, a.a);
    if (op == 19) return vec4(a.rgb * b.rgb + a.a, a.a);
    if (op == 20) return vec4(a.rgb + (1.0 - a.a) * b.rgb, a.a);
    if (op == 21) return vec4((1.0 - a.rgb) * b.rgb + a.a, a.a);
    if (op == 24) { float d = clamp(dot(a.rgb - 0.5, b.rgb - 0.5) * 4.0, 0.0, 1.0); return vec4(d); }
    return a;
}

bool AlphaPasses(float a) {
    float ref = uAlphaRef;
    a = floor(a * 255.0 + 0.5);
    if (uAlphaFunc == 1) return false;
    if (uAlphaFunc == 2) return a < ref;
    if (uAlphaFunc == 3) return a == ref;
    if (uAlphaFunc == 4) return a <= ref;
    if (uAlphaFunc == 5) return a > ref;
    if (uAlphaFunc == 6) return a != ref;
    if (uAlphaFunc == 7) return a >= ref;
    return true;
}

void main() {
    texel = uTextureBound ? texture(uTexture, vTexCoord) : vec4(0.0);
    vec4 current = vDiffuse;
    vec3 colour = current.rgb;
    float alpha = current.a;
    bool colourStage = uColorOp != 1 && (uTextureBound || !UsesTexture(uColorOp, uColorArgs));
    if (colourStage) {
        colour = clamp(Combine(uColorOp, Argument(uColorArgs.x, current), Argument(uColorArgs.y, current),
                               current).rgb, 0.0, 1.0);
        if (uAlphaOp != 1 && (uTextureBound || !UsesTexture(uAlphaOp, uAlphaArgs)))
            alpha = clamp(Combine(uAlphaOp, Argument(uAlphaArgs.x, current), Argument(uAlphaArgs.y, current),
                                  current).a, 0.0, 1.0);
    }
    if (uSpecularEnable) colour = clamp(colour + vSpecular.rgb, 0.0, 1.0);

    if (uFogMode >= 0) {
        float f;
        if (uFogMode == 0) {
            f = vFog;
        } else {
            float d = uFogUsesW ? uFogParams.y / gl_FragCoord.w : gl_FragCoord.z;
            if (uFogMode == 1) f = exp(-uFogParams.x * d);
            else if (uFogMode == 2) { float e = uFogParams.x * d; f = exp(-e * e); }
            else f = (uFogParams.z - d) * uFogParams.w;
        }
        f = clamp(f, 0.0, 1.0);
        colour = mix(uFogColor, colour, f);
    }
    if (uAlphaTest && !AlphaPasses(alpha)) discard;
    fragColour = vec4(colour, alpha);
}
)";

GLuint Compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "orvik: fixed-function shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The state that shapes the program becomes constants, so that the compiler
// drops every branch this state does not take.
std::string KeyConstants(const FixedFunctionKey& k) {
    std::string text = ORVIK_GLSL_HEADER;
    // Flat shading takes each triangle's first vertex, as GL is told at start.
    text += k.flat ? "#define SHADE flat\n" : "#define SHADE\n";
    auto flag = [&](const char* name, int v) { text += std::string("const bool ") + name + (v ? " = true;\n" : " = false;\n"); };
    auto number = [&](const char* name, int v) { text += std::string("const int ") + name + " = " + std::to_string(v) + ";\n"; };
    flag("uRhw", k.rhw);
    flag("uHasNormal", k.hasNormal);
    flag("uHasDiffuse", k.hasDiffuse);
    flag("uHasSpecular", k.hasSpecular);
    flag("uLighting", k.lighting);
    number("uDiffuseSource", k.diffuseSource);
    number("uAmbientSource", k.ambientSource);
    number("uEmissiveSource", k.emissiveSource);
    flag("uNormalizeNormals", k.normalizeNormals);
    number("uLightCount", k.lightCount);
    text += "const int uLightType[8] = int[8](";
    for (int i = 0; i < 8; ++i) text += std::to_string(k.lightType[i]) + (i < 7 ? ", " : ");\n");
    number("uVertexFogMode", k.vertexFogMode);
    flag("uRangeFog", k.rangeFog);
    flag("uTextureBound", k.textureBound);
    number("uColorOp", k.colorOp);
    number("uAlphaOp", k.alphaOp);
    text += "const ivec2 uColorArgs = ivec2(" + std::to_string(k.colorArg1) + ", " + std::to_string(k.colorArg2) + ");\n";
    text += "const ivec2 uAlphaArgs = ivec2(" + std::to_string(k.alphaArg1) + ", " + std::to_string(k.alphaArg2) + ");\n";
    flag("uSpecularEnable", k.specularEnable);
    number("uFogMode", k.fogMode);
    flag("uFogUsesW", k.fogUsesW);
    flag("uAlphaTest", k.alphaTest);
    number("uAlphaFunc", k.alphaFunc);
    number("uTexTransform", k.texTransform);
    number("uTexCoordFloats", k.texCoordFloats);
    return text;
}

}  // namespace

bool FixedFunctionProgram::Build(const FixedFunctionKey& key) {
    this->key = key;
    std::string constants = KeyConstants(key);
    std::string vertexText = constants + vertexSource, fragmentText = constants + fragmentSource;
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexText.c_str());
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentText.c_str());
    if (vs == 0 || fs == 0) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "orvik: fixed-function program does not link: %s\n", log);
        Destroy();
        return false;
    }
    auto at = [this](const char* name) { return glGetUniformLocation(program, name); };
    worldViewProj = at("uWorldViewProj");
    worldView = at("uWorldView");
    textureMatrix = at("uTextureMatrix");
    pixelOffset = at("uPixelOffset");
    rhwViewport = at("uRhwViewport");
    ambient = at("uAmbient");
    matDiffuse = at("uMatDiffuse");
    matAmbient = at("uMatAmbient");
    matEmissive = at("uMatEmissive");
    lightDiffuse = at("uLightDiffuse");
    lightAmbient = at("uLightAmbient");
    lightPosition = at("uLightPosition");
    lightDirection = at("uLightDirection");
    lightAttenuation = at("uLightAttenuation");
    lightSpot = at("uLightSpot");
    fogParams = at("uFogParams");
    fogColor = at("uFogColor");
    textureFactor = at("uTextureFactor");
    alphaRef = at("uAlphaRef");
    sampler = at("uTexture");
    glUseProgram(program);
    glUniform1i(sampler, 0);
    return true;
}

void FixedFunctionProgram::Destroy() {
    if (program != 0) glDeleteProgram(program);
    program = 0;
}
