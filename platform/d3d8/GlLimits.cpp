#include "platform/d3d8/GlLimits.h"

#include <SDL.h>

#include <cstring>

#include "platform/d3d8/GlHeaders.h"
#include "platform/win32/PlatformWindow.h"

void RequestGlCoreContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

void ReadGlLimits(GlLimits& limits) {
    limits.available = true;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    limits.renderer = renderer ? renderer : "";
    GLint major = 0, minor = 0, count = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    limits.mirrorClamp = major > 4 || (major == 4 && minor >= 4);
    limits.textureStorage = major > 4 || (major == 4 && minor >= 2);
    limits.textureReadBack = true;
    bool anisotropic = false;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i));
        if (name == nullptr) continue;
        if (std::strcmp(name, "GL_EXT_texture_compression_s3tc") == 0) limits.s3tc = true;
        if (std::strcmp(name, "GL_ARB_texture_mirror_clamp_to_edge") == 0) limits.mirrorClamp = true;
        if (std::strcmp(name, "GL_ARB_texture_storage") == 0) limits.textureStorage = true;
        if (std::strcmp(name, "GL_EXT_texture_filter_anisotropic") == 0 ||
            std::strcmp(name, "GL_ARB_texture_filter_anisotropic") == 0)
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
    if (!PlatformVideoInit()) return limits;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    RequestGlCoreContext();
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) return limits;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context != nullptr) {
        ReadGlLimits(limits);
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
    if (previousContext != nullptr) SDL_GL_MakeCurrent(previousWindow, previousContext);
    return limits;
}
