// The Direct3D 8 layer's cost per frame against plain GL issuing the same
// work in the same process: 40 draws of 4,000 textured triangles each, the
// viewer's states (linear filtering, exponential fog, z-buffer), into a frame
// buffer of the same size, each frame finished with glFinish.
// On llvmpipe, LP_NUM_THREADS=0 draws on the calling thread, so that the CPU
// times hold the whole work and other load on the machine disturbs them less.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/d3d8.h"
#include "platform/win32/PlatformWindow.h"
#include "platform/win32/windows.h"

namespace {

constexpr int GROUPS = 40;
constexpr int TRIANGLES = 4000;
constexpr int WIDTH = 640, HEIGHT = 480;
constexpr int TEXTURE_SIZE = 64;

struct Vertex {
    float x, y, z, u, v;
};

// Small triangles scattered in front of the eye, as a level seen from inside.
std::vector<std::vector<Vertex>> MakeGroups() {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(-60.0f, 60.0f), depth(40.0f, 450.0f), jitter(-1.5f, 1.5f),
        uv(0.0f, 1.0f);
    std::vector<std::vector<Vertex>> groups(GROUPS);
    for (auto& group : groups) {
        group.reserve(TRIANGLES * 3);
        for (int t = 0; t < TRIANGLES; ++t) {
            float cx = spread(random), cy = spread(random), cz = depth(random);
            for (int k = 0; k < 3; ++k)
                group.push_back({cx + jitter(random), cy + jitter(random), cz + jitter(random), uv(random), uv(random)});
        }
    }
    return groups;
}

std::vector<uint32_t> MakeTexels(int seed) {
    std::vector<uint32_t> texels(TEXTURE_SIZE * TEXTURE_SIZE);
    for (int i = 0; i < TEXTURE_SIZE * TEXTURE_SIZE; ++i)
        texels[i] = 0xFF000000u | static_cast<uint32_t>((i * 2654435761u + seed * 40503u) & 0xFFFFFF);
    return texels;
}

D3DMATRIX Projection() {
    D3DMATRIX m{};
    float h = 1.0f / std::tan(0.8f);
    m._11 = h * HEIGHT / WIDTH;
    m._22 = h;
    m._33 = 500.0f / (500.0f - 0.1f);
    m._34 = 1.0f;
    m._43 = -0.1f * m._33;
    return m;
}

D3DMATRIX IdentityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------- the layer

struct LayerScene {
    HWND window = nullptr;
    IDirect3D8* direct3D = nullptr;
    IDirect3DDevice8* device = nullptr;
    std::vector<IDirect3DVertexBuffer8*> buffers;
    std::vector<IDirect3DTexture8*> textures;

    bool Open(const std::vector<std::vector<Vertex>>& groups) {
        WNDCLASSA wndClass = {};
        wndClass.lpfnWndProc = Proc;
        wndClass.lpszClassName = "bench";
        RegisterClassA(&wndClass);
        window = CreateWindowExA(0, "bench", "bench", WS_POPUP, 0, 0, WIDTH, HEIGHT, nullptr, nullptr, nullptr, nullptr);
        direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        if (window == nullptr || direct3D == nullptr) return false;
        D3DDISPLAYMODE mode{};
        direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = WIDTH;
        pp.BackBufferHeight = HEIGHT;
        pp.BackBufferFormat = mode.Format;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device)))
            return false;
        // The viewer's states.
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device->SetRenderState(D3DRS_FOGENABLE, TRUE);
        device->SetRenderState(D3DRS_FOGCOLOR, 0x00000040);
        device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
        device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(0.002f));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        for (int g = 0; g < GROUPS; ++g) {
            IDirect3DVertexBuffer8* buffer = nullptr;
            UINT bytes = static_cast<UINT>(groups[g].size() * sizeof(Vertex));
            device->CreateVertexBuffer(bytes, 0, D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_DEFAULT, &buffer);
            BYTE* data = nullptr;
            buffer->Lock(0, 0, &data, 0);
            std::memcpy(data, groups[g].data(), bytes);
            buffer->Unlock();
            buffers.push_back(buffer);
            IDirect3DTexture8* texture = nullptr;
            device->CreateTexture(TEXTURE_SIZE, TEXTURE_SIZE, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture);
            std::vector<uint32_t> texels = MakeTexels(g);
            for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
                D3DLOCKED_RECT locked{};
                texture->LockRect(level, &locked, nullptr, 0);
                int size = TEXTURE_SIZE >> level;
                for (int y = 0; y < size; ++y)
                    std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[y * TEXTURE_SIZE], size * 4);
                texture->UnlockRect(level);
            }
            textures.push_back(texture);
        }
        return true;
    }

    void Frame(const D3DMATRIX& view, const D3DMATRIX& projection) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000040, 1.0f, 0);
        device->BeginScene();
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        for (int g = 0; g < GROUPS; ++g) {
            device->SetTexture(0, textures[g]);
            device->SetStreamSource(0, buffers[g], sizeof(Vertex));
            device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, TRIANGLES);
        }
        device->EndScene();
    }

    void Close() {
        if (device != nullptr) {
            device->SetTexture(0, nullptr);
            device->SetStreamSource(0, nullptr, 0);
        }
        for (auto* b : buffers) b->Release();
        for (auto* t : textures) t->Release();
        if (device != nullptr) device->Release();
        if (direct3D != nullptr) direct3D->Release();
        if (window != nullptr) DestroyWindow(window);
    }
};

// ---------------------------------------------------------------- plain GL

const char* peerVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 3) in vec2 aTexCoord;
uniform mat4 uWorldViewProj;
out vec2 vTexCoord;
void main() {
    vec4 clip = uWorldViewProj * vec4(aPosition, 1.0);
    gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
    vTexCoord = aTexCoord;
}
)";

const char* peerFragment = R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D uTexture;
uniform float uDensity;
uniform vec3 uFogColor;
out vec4 fragColour;
void main() {
    vec4 texel = texture(uTexture, vTexCoord);
    float f = clamp(exp(-uDensity / gl_FragCoord.w), 0.0, 1.0);
    fragColour = vec4(mix(uFogColor, texel.rgb, f), 1.0);
}
)";

struct PlainScene {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint program = 0, frameBuffer = 0, colour = 0, depth = 0;
    GLint matrixAt = -1;
    std::vector<GLuint> buffers, arrays, textures;

    static GLuint Compile(GLenum type, const char* source) {
        GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        return shader;
    }

    bool Open(const std::vector<std::vector<Vertex>>& groups) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        window = SDL_CreateWindow("peer", 0, 0, WIDTH, HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window == nullptr) return false;
        context = SDL_GL_CreateContext(window);
        if (context == nullptr) return false;
        SDL_GL_MakeCurrent(window, context);
        program = glCreateProgram();
        glAttachShader(program, Compile(GL_VERTEX_SHADER, peerVertex));
        glAttachShader(program, Compile(GL_FRAGMENT_SHADER, peerFragment));
        glLinkProgram(program);
        glUseProgram(program);
        matrixAt = glGetUniformLocation(program, "uWorldViewProj");
        glUniform1i(glGetUniformLocation(program, "uTexture"), 0);
        glUniform1f(glGetUniformLocation(program, "uDensity"), 0.002f);
        glUniform3f(glGetUniformLocation(program, "uFogColor"), 0.0f, 0.0f, 0.25f);

        glGenTextures(1, &colour);
        glBindTexture(GL_TEXTURE_2D, colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, WIDTH, HEIGHT, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, WIDTH, HEIGHT);
        glGenFramebuffers(1, &frameBuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glViewport(0, 0, WIDTH, HEIGHT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);

        for (int g = 0; g < GROUPS; ++g) {
            GLuint vao, vbo, texture;
            glGenVertexArrays(1, &vao);
            glBindVertexArray(vao);
            glGenBuffers(1, &vbo);
            glBindBuffer(GL_ARRAY_BUFFER, vbo);
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(groups[g].size() * sizeof(Vertex)), groups[g].data(),
                         GL_STATIC_DRAW);
            glEnableVertexAttribArray(0);
            glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
            glEnableVertexAttribArray(3);
            glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(12));
            glGenTextures(1, &texture);
            glBindTexture(GL_TEXTURE_2D, texture);
            std::vector<uint32_t> texels = MakeTexels(g);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, TEXTURE_SIZE, TEXTURE_SIZE, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                         texels.data());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            arrays.push_back(vao);
            buffers.push_back(vbo);
            textures.push_back(texture);
        }
        return true;
    }

    void Frame(const D3DMATRIX& viewProjection) {
        SDL_GL_MakeCurrent(window, context);
        glClearColor(0.0f, 0.0f, 0.25f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUniformMatrix4fv(matrixAt, 1, GL_FALSE, &viewProjection._11);
        for (int g = 0; g < GROUPS; ++g) {
            glBindTexture(GL_TEXTURE_2D, textures[g]);
            glBindVertexArray(arrays[g]);
            glDrawArrays(GL_TRIANGLES, 0, TRIANGLES * 3);
        }
    }

    void Close() {
        if (context == nullptr) return;
        SDL_GL_MakeCurrent(window, context);
        glDeleteBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
        glDeleteVertexArrays(static_cast<GLsizei>(arrays.size()), arrays.data());
        glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
        glDeleteProgram(program);
        glDeleteFramebuffers(1, &frameBuffer);
        glDeleteTextures(1, &colour);
        glDeleteRenderbuffers(1, &depth);
        SDL_GL_DeleteContext(context);
        SDL_DestroyWindow(window);
    }
};

struct Scenes {
    LayerScene layer;
    PlainScene plain;
    bool ready = false;
};

Scenes& Shared() {
    static Scenes scenes;
    static bool opened = false;
    if (!opened) {
        opened = true;
        std::vector<std::vector<Vertex>> groups = MakeGroups();
        scenes.ready = PlatformVideoInit() && scenes.layer.Open(groups) && scenes.plain.Open(groups);
    }
    return scenes;
}

void Direct3D8Frame(benchmark::State& state) {
    Scenes& scenes = Shared();
    if (!scenes.ready) {
        state.SkipWithError("no GL device");
        return;
    }
    D3DMATRIX view = IdentityMatrix(), projection = Projection();
    for (auto _ : state) {
        scenes.layer.Frame(view, projection);
        glFinish();
    }
    state.counters["triangles"] = GROUPS * TRIANGLES;
}

void PlainGlFrame(benchmark::State& state) {
    Scenes& scenes = Shared();
    if (!scenes.ready) {
        state.SkipWithError("no GL device");
        return;
    }
    D3DMATRIX viewProjection = Projection();
    for (auto _ : state) {
        scenes.plain.Frame(viewProjection);
        glFinish();
    }
    state.counters["triangles"] = GROUPS * TRIANGLES;
}

// Interleaved so that both see the same machine load.
BENCHMARK(Direct3D8Frame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(PlainGlFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Direct3D8Frame)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(PlainGlFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Shared().layer.Close();
    Shared().plain.Close();
    benchmark::Shutdown();
    return 0;
}
