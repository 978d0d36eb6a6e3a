#define ORVIK_WEBGL_IMPLEMENTATION
#include "platform/d3d8/web/WebGl.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

GLenum fillMode = GL_FILL;
GLfloat pointSize = 1.0f;

void SwapRedBlue(uint8_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) std::swap(pixels[i * 4], pixels[i * 4 + 2]);
}

bool IsBgra8(GLenum format, GLenum type) {
    return format == GL_BGRA && (type == GL_UNSIGNED_BYTE || type == GL_UNSIGNED_INT_8_8_8_8_REV);
}

// Points have the size of the current program's uniform, set before each draw.
void SetPointSize() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    if (program == 0) return;
    GLint at = glGetUniformLocation(static_cast<GLuint>(program), "uPointSize");
    if (at >= 0) glUniform1f(at, pointSize);
}

uint32_t IndexAt(const uint8_t* indices, GLenum type, size_t i) {
    if (type == GL_UNSIGNED_SHORT) {
        uint16_t v;
        std::memcpy(&v, indices + i * 2, 2);
        return v;
    }
    if (type == GL_UNSIGNED_BYTE) return indices[i];
    uint32_t v;
    std::memcpy(&v, indices + i * 4, 4);
    return v;
}

// The corners of each triangle of a list, strip or fan, in Direct3D's order.
void TriangleCorners(GLenum mode, size_t count, std::vector<uint32_t>& corners) {
    corners.clear();
    if (mode == GL_TRIANGLES) {
        for (size_t t = 0; t + 3 <= count; t += 3)
            corners.insert(corners.end(), {uint32_t(t), uint32_t(t + 1), uint32_t(t + 2)});
    } else if (mode == GL_TRIANGLE_STRIP) {
        for (size_t t = 0; t + 3 <= count; ++t) {
            if (t % 2 == 0) corners.insert(corners.end(), {uint32_t(t), uint32_t(t + 1), uint32_t(t + 2)});
            else corners.insert(corners.end(), {uint32_t(t + 1), uint32_t(t), uint32_t(t + 2)});
        }
    } else if (mode == GL_TRIANGLE_FAN) {
        for (size_t t = 1; t + 2 <= count; ++t) corners.insert(corners.end(), {0u, uint32_t(t), uint32_t(t + 1)});
    }
}

bool IsTriangles(GLenum mode) { return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN; }

GLuint ScratchIndexBuffer() {
    static GLuint buffer = 0;
    if (buffer == 0) glGenBuffers(1, &buffer);
    return buffer;
}

// Draws from the bound arrays through a scratch element buffer, then puts the
// element buffer of the vertex array back.
void DrawIndices(GLenum mode, const std::vector<uint32_t>& indices) {
    if (indices.empty()) return;
    GLint elementBuffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ScratchIndexBuffer());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 4), indices.data(), GL_STREAM_DRAW);
    glDrawElements(mode, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(elementBuffer));
}

// Draws the triangles named by vertices (positions in the bound arrays) as
// their edges (each triangle's three sides) or their corners (each vertex once),
// as Direct3D 8's wireframe and point fill modes do.
void DrawFilled(GLenum mode, const std::vector<uint32_t>& vertices) {
    std::vector<uint32_t> corners;
    TriangleCorners(mode, vertices.size(), corners);
    std::vector<uint32_t> lines;
    GLenum drawn;
    if (fillMode == GL_LINE) {
        drawn = GL_LINES;
        for (size_t t = 0; t + 3 <= corners.size(); t += 3) {
            uint32_t a = vertices[corners[t]], b = vertices[corners[t + 1]], c = vertices[corners[t + 2]];
            lines.insert(lines.end(), {a, b, b, c, c, a});
        }
    } else {
        drawn = GL_POINTS;
        for (uint32_t c : corners) lines.push_back(vertices[c]);
        SetPointSize();
    }
    DrawIndices(drawn, lines);
}

// WebGL cannot read an element buffer back cheaply, so the bytes given to each
// one are kept here for the draws that must rewrite their indices.
std::unordered_map<GLuint, std::vector<uint8_t>>& IndexCopies() {
    static std::unordered_map<GLuint, std::vector<uint8_t>> copies;
    return copies;
}

GLuint BoundElementBuffer() {
    GLint buffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &buffer);
    return static_cast<GLuint>(buffer);
}

}  // namespace

void WebGlBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
    glBufferData(target, size, data, usage);
    if (target != GL_ELEMENT_ARRAY_BUFFER) return;
    std::vector<uint8_t>& copy = IndexCopies()[BoundElementBuffer()];
    copy.assign(static_cast<size_t>(size), 0);
    if (data != nullptr) std::memcpy(copy.data(), data, copy.size());
}

void WebGlBufferSubData(GLenum target, GLintptr offset, GLsizeiptr size, const void* data) {
    glBufferSubData(target, offset, size, data);
    if (target != GL_ELEMENT_ARRAY_BUFFER || data == nullptr) return;
    std::vector<uint8_t>& copy = IndexCopies()[BoundElementBuffer()];
    size_t end = static_cast<size_t>(offset + size);
    if (copy.size() < end) copy.resize(end);
    std::memcpy(copy.data() + offset, data, static_cast<size_t>(size));
}

void WebGlDeleteBuffers(GLsizei count, const GLuint* buffers) {
    for (GLsizei i = 0; i < count; ++i) IndexCopies().erase(buffers[i]);
    glDeleteBuffers(count, buffers);
}

void WebGlPolygonMode(GLenum, GLenum mode) { fillMode = mode; }
void WebGlPointSize(GLfloat size) { pointSize = size; }
// WebGL takes a flat varying from each primitive's last vertex, and there is no
// switch for it.
void WebGlProvokingVertex(GLenum) {}
void WebGlClearDepth(double depth) { glClearDepthf(static_cast<GLfloat>(depth)); }
void WebGlDepthRange(double nearZ, double farZ) { glDepthRangef(static_cast<GLfloat>(nearZ), static_cast<GLfloat>(farZ)); }

// Offsets of lines and points have no switch of their own in WebGL.
void WebGlEnable(GLenum capability) {
    if (capability == GL_POLYGON_OFFSET_LINE || capability == GL_POLYGON_OFFSET_POINT) return;
    glEnable(capability);
}
void WebGlDisable(GLenum capability) {
    if (capability == GL_POLYGON_OFFSET_LINE || capability == GL_POLYGON_OFFSET_POINT) return;
    glDisable(capability);
}

// D3DCOLOR arrives as four bytes B, G, R, A; the vertex program swaps them back.
void WebGlVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalised, GLsizei stride,
                              const void* pointer) {
    glVertexAttribPointer(index, size == GL_BGRA ? 4 : size, type, normalised, stride, pointer);
}

void WebGlSamplerParameteri(GLuint sampler, GLenum name, GLint value) {
    if (name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T || name == GL_TEXTURE_WRAP_R) {
        // No border colour: the nearest edge texel; mirror once: mirrored repeat.
        if (value == GL_CLAMP_TO_BORDER) value = GL_CLAMP_TO_EDGE;
        if (value == GL_MIRROR_CLAMP_TO_EDGE) value = GL_MIRRORED_REPEAT;
    }
    glSamplerParameteri(sampler, name, value);
}

void WebGlSamplerParameterf(GLuint sampler, GLenum name, GLfloat value) {
    if (name == GL_TEXTURE_LOD_BIAS) return;
    glSamplerParameterf(sampler, name, value);
}

void WebGlSamplerParameterfv(GLuint sampler, GLenum name, const GLfloat* values) {
    if (name == GL_TEXTURE_BORDER_COLOR) return;
    glSamplerParameterfv(sampler, name, values);
}

// Swizzles are applied when a level is uploaded instead.
void WebGlTexParameteriv(GLenum target, GLenum name, const GLint* values) {
    if (name == GL_TEXTURE_SWIZZLE_RGBA) return;
    glTexParameteriv(target, name, values);
}

void WebGlReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels) {
    if (!IsBgra8(format, type)) {
        glReadPixels(x, y, width, height, format, type, pixels);
        return;
    }
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    SwapRedBlue(static_cast<uint8_t*>(pixels), static_cast<size_t>(width) * height);
}

void WebGlTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* pixels) {
    if (!IsBgra8(format, type) || pixels == nullptr) {
        glTexSubImage2D(target, level, x, y, width, height, format, type, pixels);
        return;
    }
    size_t count = static_cast<size_t>(width) * height;
    std::vector<uint8_t> rgba(static_cast<const uint8_t*>(pixels), static_cast<const uint8_t*>(pixels) + count * 4);
    SwapRedBlue(rgba.data(), count);
    glTexSubImage2D(target, level, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

void WebGlDrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (mode == GL_POINTS) SetPointSize();
    if (fillMode == GL_FILL || !IsTriangles(mode)) {
        glDrawArrays(mode, first, count);
        return;
    }
    std::vector<uint32_t> vertices(static_cast<size_t>(count));
    for (GLsizei i = 0; i < count; ++i) vertices[static_cast<size_t>(i)] = static_cast<uint32_t>(first + i);
    DrawFilled(mode, vertices);
}

void WebGlDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    WebGlDrawElementsBaseVertex(mode, count, type, indices, 0);
}

void WebGlDrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint baseVertex) {
    if (mode == GL_POINTS) SetPointSize();
    bool filled = fillMode == GL_FILL || !IsTriangles(mode);
    if (filled && baseVertex == 0) {
        glDrawElements(mode, count, type, indices);
        return;
    }
    // The indices, moved by the base vertex, read from the kept copy.
    auto found = IndexCopies().find(BoundElementBuffer());
    if (found == IndexCopies().end()) return;
    size_t size = type == GL_UNSIGNED_SHORT ? 2 : type == GL_UNSIGNED_BYTE ? 1 : 4;
    size_t offset = reinterpret_cast<size_t>(indices);
    if (offset + static_cast<size_t>(count) * size > found->second.size()) return;
    const uint8_t* at = found->second.data() + offset;
    std::vector<uint32_t> vertices(static_cast<size_t>(count));
    for (size_t i = 0; i < vertices.size(); ++i) vertices[i] = IndexAt(at, type, i) + static_cast<uint32_t>(baseVertex);
    if (!filled) {
        DrawFilled(mode, vertices);
        return;
    }
    DrawIndices(mode, vertices);
}
