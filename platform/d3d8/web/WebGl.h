// The GL of the web build: WebGL 2 (OpenGL ES 3.0) with the desktop GL 3.3 names
// the device uses. Enums ES lacks get their desktop values, and the calls ES lacks
// or takes with fewer arguments go to WebGl.cpp, which does what the device asked
// within WebGL 2: BGRA read-backs and uploads swizzled, border colour and LOD bias
// left out, base-vertex draws through moved attribute pointers, and the wireframe
// and point fill modes drawn as the triangles' edges or corners.
#pragma once

#include <GLES3/gl3.h>

#define GL_BGR 0x80E0
#define GL_BGRA 0x80E1
#define GL_UNSIGNED_BYTE_3_3_2 0x8032
#define GL_UNSIGNED_SHORT_4_4_4_4_REV 0x8365
#define GL_UNSIGNED_SHORT_1_5_5_5_REV 0x8366
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#define GL_R3_G3_B2 0x2A10
#define GL_RGB4 0x804F
#define GL_RGB5 0x8050
#define GL_RG16 0x822C
#define GL_CLAMP_TO_BORDER 0x812D
#define GL_MIRROR_CLAMP_TO_EDGE 0x8743
#define GL_TEXTURE_BORDER_COLOR 0x1004
#define GL_TEXTURE_LOD_BIAS 0x8501
#define GL_TEXTURE_SWIZZLE_RGBA 0x8E46
#define GL_POINT 0x1B00
#define GL_LINE 0x1B01
#define GL_FILL 0x1B02
#define GL_POLYGON_OFFSET_POINT 0x2A01
#define GL_POLYGON_OFFSET_LINE 0x2A02
#define GL_FIRST_VERTEX_CONVENTION 0x8E4D
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#define GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT 0x84FF

// The shading language of the fixed-function program.
#define ORVIK_GLSL_HEADER "#version 300 es\nprecision highp float;\nprecision highp int;\n#define VERTEX_COLOUR(c) (c).bgra\n"

void WebGlPolygonMode(GLenum face, GLenum mode);
void WebGlPointSize(GLfloat size);
void WebGlProvokingVertex(GLenum convention);
void WebGlClearDepth(double depth);
void WebGlDepthRange(double nearZ, double farZ);
void WebGlEnable(GLenum capability);
void WebGlDisable(GLenum capability);
void WebGlVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalised, GLsizei stride,
                              const void* pointer);
void WebGlSamplerParameteri(GLuint sampler, GLenum name, GLint value);
void WebGlSamplerParameterf(GLuint sampler, GLenum name, GLfloat value);
void WebGlSamplerParameterfv(GLuint sampler, GLenum name, const GLfloat* values);
void WebGlTexParameteriv(GLenum target, GLenum name, const GLint* values);
void WebGlReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels);
void WebGlTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* pixels);
void WebGlBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
void WebGlBufferSubData(GLenum target, GLintptr offset, GLsizeiptr size, const void* data);
void WebGlDeleteBuffers(GLsizei count, const GLuint* buffers);
void WebGlDrawArrays(GLenum mode, GLint first, GLsizei count);
void WebGlDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
void WebGlDrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint baseVertex);

#ifndef ORVIK_WEBGL_IMPLEMENTATION
#define glPolygonMode WebGlPolygonMode
#define glPointSize WebGlPointSize
#define glProvokingVertex WebGlProvokingVertex
#define glClearDepth WebGlClearDepth
#define glDepthRange WebGlDepthRange
#define glEnable WebGlEnable
#define glDisable WebGlDisable
#define glVertexAttribPointer WebGlVertexAttribPointer
#define glSamplerParameteri WebGlSamplerParameteri
#define glSamplerParameterf WebGlSamplerParameterf
#define glSamplerParameterfv WebGlSamplerParameterfv
#define glTexParameteriv WebGlTexParameteriv
#define glReadPixels WebGlReadPixels
#define glTexSubImage2D WebGlTexSubImage2D
#define glBufferData WebGlBufferData
#define glBufferSubData WebGlBufferSubData
#define glDeleteBuffers WebGlDeleteBuffers
#define glDrawArrays WebGlDrawArrays
#define glDrawElements WebGlDrawElements
#define glDrawElementsBaseVertex WebGlDrawElementsBaseVertex
#endif
