// OpenGL 3.3 core entry points, called directly through the GL dispatch library;
// in the web build WebGL 2 with the same names (web/WebGl.h).
#pragma once

#ifdef __EMSCRIPTEN__
#include "platform/d3d8/web/WebGl.h"
#else

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>

#ifndef GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#endif
#ifndef GL_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#define GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT 0x84FF
#endif

// The shading language of the fixed-function program.
#define ORVIK_GLSL_HEADER "#version 330 core\n#define VERTEX_COLOUR(c) (c)\n"
#endif
