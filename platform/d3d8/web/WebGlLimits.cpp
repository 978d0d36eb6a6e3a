// What WebGL 2 offers the device. The browser has one canvas, so the probe made
// before a device exists asks a detached canvas of its own instead of opening a
// hidden window as the desktop build does.
#include "platform/d3d8/GlLimits.h"

#include <SDL.h>
#include <emscripten.h>

#include <cstring>

#include "platform/d3d8/GlHeaders.h"

namespace {

// Fills limits from a WebGL 2 context of a canvas that is never shown: the
// largest texture, the S3TC and anisotropic filtering extensions. Returns 0
// where the browser has no WebGL 2.
EM_JS(int, ProbeWebGl2, (int* maxTextureSize, int* s3tc, float* maxAnisotropy), {
    var gl = null;
    try {
        gl = document.createElement("canvas").getContext("webgl2");
    } catch (e) {
    }
    if (!gl) return 0;
    HEAP32[maxTextureSize >> 2] = gl.getParameter(gl.MAX_TEXTURE_SIZE);
    HEAP32[s3tc >> 2] = gl.getExtension("WEBGL_compressed_texture_s3tc") ? 1 : 0;
    var anisotropic = gl.getExtension("EXT_texture_filter_anisotropic");
    HEAPF32[maxAnisotropy >> 2] = anisotropic ? gl.getParameter(anisotropic.MAX_TEXTURE_MAX_ANISOTROPY_EXT) : 1.0;
    var lose = gl.getExtension("WEBGL_lose_context");
    if (lose) lose.loseContext();
    return 1;
});

}  // namespace

void RequestGlCoreContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

void ReadGlLimits(GlLimits& limits) {
    limits.available = true;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    limits.renderer = renderer ? renderer : "";
    limits.mirrorClamp = false;
    bool anisotropic = false;
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i));
        if (name == nullptr) continue;
        // Emscripten lists the WebGL extensions with a "GL_" in front.
        if (std::strcmp(name, "GL_WEBGL_compressed_texture_s3tc") == 0 ||
            std::strcmp(name, "WEBGL_compressed_texture_s3tc") == 0 ||
            std::strcmp(name, "GL_EXT_texture_compression_s3tc") == 0)
            limits.s3tc = true;
        if (std::strcmp(name, "GL_EXT_texture_filter_anisotropic") == 0 ||
            std::strcmp(name, "EXT_texture_filter_anisotropic") == 0)
            anisotropic = true;
    }
    limits.maxAnisotropy = 1.0f;
    if (anisotropic) glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &limits.maxAnisotropy);
    while (glGetError() != GL_NO_ERROR) {
    }
}

const GlLimits& ProbeGlLimits() {
    static GlLimits limits;
    static bool probed = false;
    if (probed) return limits;
    probed = true;
    int maxTextureSize = 0, s3tc = 0;
    float maxAnisotropy = 1.0f;
    if (!ProbeWebGl2(&maxTextureSize, &s3tc, &maxAnisotropy)) return limits;
    limits.available = true;
    limits.maxTextureSize = maxTextureSize;
    limits.s3tc = s3tc != 0;
    limits.maxAnisotropy = maxAnisotropy;
    limits.renderer = "WebGL 2";
    return limits;
}
