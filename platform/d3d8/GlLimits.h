// What the GL implementation behind the device offers, probed once.
#pragma once

#include <string>

struct GlLimits {
    bool available = false;     // a GL 3.3 core context could be made
    int maxTextureSize = 0;
    float maxAnisotropy = 1.0f;
    bool s3tc = false;          // GL_EXT_texture_compression_s3tc
    bool mirrorClamp = false;   // GL_ARB_texture_mirror_clamp_to_edge or GL 4.4
    // Immutable texture storage (GL 4.2 or GL_ARB_texture_storage) and texture
    // read-back (glGetTexImage): with both, a texture's bytes can live in GL alone.
    bool textureStorage = false;
    bool textureReadBack = false;
    std::string renderer;
};

// Fills limits from the context current on this thread.
void ReadGlLimits(GlLimits& limits);

// The limits of a throw-away hidden GL context, made on first use; available
// false where no GL 3.3 core context can be made.
const GlLimits& ProbeGlLimits();

// Asks SDL for a GL 3.3 core context on the next OpenGL window.
void RequestGlCoreContext();
