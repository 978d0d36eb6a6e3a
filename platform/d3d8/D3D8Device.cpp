// Device creation, presentation, state and resource management. Drawing and
// the fixed-function program's inputs are in D3D8DeviceDrawing.cpp.
#include "platform/d3d8/D3D8Device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d8/D3D8IndexBuffer.h"
#include "platform/d3d8/D3D8Object.h"
#include "platform/d3d8/D3D8Surface.h"
#include "platform/d3d8/D3D8Testing.h"
#include "platform/d3d8/D3D8Texture.h"
#include "platform/d3d8/D3D8VertexBuffer.h"
#include "platform/d3d8/VertexLayout.h"
#include "platform/win32/ComGuard.h"
#include "platform/win32/PlatformSettings.h"
#include "platform/win32/PlatformWindow.h"

namespace {

bool forceDxtDecode = false;

DWORD FloatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

bool IsPowerOfTwo(UINT v) { return v != 0 && (v & (v - 1)) == 0; }

GLenum CompareFunction(DWORD f) {
    switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum BlendFactor(DWORD b) {
    switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum BlendEquation(DWORD op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

bool HasAlpha(D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4; }

bool IsBackBufferFormat(D3DFORMAT f) {
    return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8 || f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5 ||
           f == D3DFMT_A1R5G5B5;
}

}  // namespace

void D3D8ForceDxtDecode(bool force) { forceDxtDecode = force; }

void DeviceChildAddRefDevice(D3D8Device* device) { device->AddRef(); }
void DeviceChildReleaseDevice(D3D8Device* device) { device->Release(); }

bool D3D8ReadBackBuffer(IDirect3DDevice8* device, std::vector<unsigned char>& rgba, UINT& width, UINT& height) {
    auto* own = dynamic_cast<D3D8Device*>(device);
    if (own == nullptr) return false;
    own->ReadBackBufferRgba(rgba);
    width = own->BackBufferWidth();
    height = own->BackBufferHeight();
    return true;
}

unsigned D3D8TakeGlErrors(IDirect3DDevice8* device) {
    auto* own = dynamic_cast<D3D8Device*>(device);
    if (own == nullptr) return 0;
    own->MakeCurrent();
    unsigned errors = 0;
    while (glGetError() != GL_NO_ERROR && errors < 1000) ++errors;
    return errors;
}

// ---------------------------------------------------------------- creation

D3D8Device::D3D8Device(D3D8Object* direct3D, HWND window, DWORD behaviorFlags)
    : direct3D_(direct3D), window_(window) {
    direct3D_->AddRef();
    creation_.AdapterOrdinal = D3DADAPTER_DEFAULT;
    creation_.DeviceType = D3DDEVTYPE_HAL;
    creation_.hFocusWindow = window;
    creation_.BehaviorFlags = behaviorFlags;
    lights_.resize(MAX_LIGHTS);
    lightDefined_.assign(MAX_LIGHTS, false);
    lightEnabled_.assign(MAX_LIGHTS, false);
    for (int i = 0; i < 256; ++i) gamma_.red[i] = gamma_.green[i] = gamma_.blue[i] = static_cast<WORD>(i * 257);
}

HRESULT D3D8Device::Create(D3D8Object* direct3D, HWND focusWindow, DWORD behaviorFlags,
                           D3DPRESENT_PARAMETERS& parameters, D3D8Device** device) {
    *device = nullptr;
    HWND window = parameters.hDeviceWindow != nullptr ? parameters.hDeviceWindow : focusWindow;
    if (window == nullptr || PlatformWindowSdl(window) == nullptr) return D3DERR_INVALIDCALL;
    if (parameters.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
    if (parameters.SwapEffect < D3DSWAPEFFECT_DISCARD || parameters.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
        return D3DERR_INVALIDCALL;
    if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (parameters.EnableAutoDepthStencil && parameters.AutoDepthStencilFormat != D3DFMT_D16 &&
        parameters.AutoDepthStencilFormat != D3DFMT_D24S8)
        return D3DERR_INVALIDCALL;
    if (!parameters.Windowed &&
        (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0 ||
         !IsBackBufferFormat(parameters.BackBufferFormat)))
        return D3DERR_INVALIDCALL;
    if (parameters.Windowed && parameters.BackBufferFormat != D3DFMT_UNKNOWN &&
        !IsBackBufferFormat(parameters.BackBufferFormat))
        return D3DERR_INVALIDCALL;
    if (!PlatformVideoInit()) return D3DERR_NOTAVAILABLE;

    D3D8Device* created = nullptr;
    HRESULT result = NoThrowCall([&] {
        created = new D3D8Device(direct3D, window, behaviorFlags);
        return created->OpenWindow(parameters);
    });
    if (FAILED(result)) {
        if (created != nullptr) created->Release();
        return result;
    }
    *device = created;
    return D3D_OK;
}

HRESULT D3D8Device::OpenWindow(D3DPRESENT_PARAMETERS& parameters) {
    D3DDISPLAYMODE desktop{};
    if (!DesktopDisplayMode(desktop)) return D3DERR_NOTAVAILABLE;
    headless_ = PlatformHeadless();
    bool windowed = parameters.Windowed || PlatformGetSettings().windowed || headless_;

    if (parameters.BackBufferCount == 0) parameters.BackBufferCount = 1;
    if (parameters.BackBufferFormat == D3DFMT_UNKNOWN) parameters.BackBufferFormat = desktop.Format;
    if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
        int w = 0, h = 0;
        SDL_GetWindowSize(PlatformWindowSdl(window_), &w, &h);
        if (parameters.BackBufferWidth == 0) parameters.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
        if (parameters.BackBufferHeight == 0) parameters.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
    }
    int width = static_cast<int>(parameters.BackBufferWidth), height = static_cast<int>(parameters.BackBufferHeight);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
    int windowWidth = width, windowHeight = height;
    displayMode_ = desktop;
    if (!windowed) {
        // The display's own mode of the back buffer's size if it has one, else
        // the desktop, with the frame scaled to fit.
        SDL_DisplayMode wanted{0, width, height, 0, nullptr}, found{};
        if (SDL_GetClosestDisplayMode(0, &wanted, &found) != nullptr && found.w == width && found.h == height) {
            flags |= SDL_WINDOW_FULLSCREEN;
            displayMode_.Width = parameters.BackBufferWidth;
            displayMode_.Height = parameters.BackBufferHeight;
            displayMode_.RefreshRate = static_cast<UINT>(found.refresh_rate);
        } else {
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
            windowWidth = static_cast<int>(desktop.Width);
            windowHeight = static_cast<int>(desktop.Height);
        }
        displayMode_.Format = parameters.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8
                                                                             : parameters.BackBufferFormat;
    }

    RequestGlCoreContext();
    sdlWindow_ = PlatformWindowRecreate(window_, flags, windowWidth, windowHeight);
    if (sdlWindow_ == nullptr) return D3DERR_NOTAVAILABLE;
    context_ = SDL_GL_CreateContext(sdlWindow_);
    if (context_ == nullptr) return D3DERR_NOTAVAILABLE;
    SDL_GL_MakeCurrent(sdlWindow_, context_);
    bool interval = !headless_ && parameters.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
    SDL_GL_SetSwapInterval(interval ? 1 : 0);

    ReadGlLimits(limits_);
    decodeDxt_ = forceDxtDecode || !limits_.s3tc;
    textureMemory_.SetLimit(TextureMemoryBudget::ConfiguredLimit());
    BuildDeviceCaps(limits_, caps_);
    parameters_ = parameters;
    if (!CreateFrameBuffer()) return D3DERR_NOTAVAILABLE;
    InitGlState();
    ResetStates();
    if (!SelectProgram(CurrentKey(false))) return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

bool D3D8Device::CreateFrameBuffer() {
    GLsizei w = static_cast<GLsizei>(parameters_.BackBufferWidth), h = static_cast<GLsizei>(parameters_.BackBufferHeight);
    glGenTextures(1, &colourTexture_);
    glBindTexture(GL_TEXTURE_2D, colourTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // The frame is drawn at the back buffer's own depth, so a 16-bit mode bands as it would.
    const D3DFORMAT backFormat = parameters_.BackBufferFormat;
    const GLenum internalFormat = backFormat == D3DFMT_R5G6B5 ? GL_RGB565
                                  : backFormat == D3DFMT_X1R5G5B5 || backFormat == D3DFMT_A1R5G5B5 ? GL_RGB5_A1
                                                                                                   : GL_RGBA8;
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    TextureBindingChanged();
    glGenFramebuffers(1, &frameBuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colourTexture_, 0);
    // A GL that cannot draw into 16-bit colour still draws the frame, at 8 bits a channel.
    if (internalFormat != GL_RGBA8 && glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindTexture(GL_TEXTURE_2D, colourTexture_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        TextureBindingChanged();
    }
    if (parameters_.EnableAutoDepthStencil) {
        bool stencil = parameters_.AutoDepthStencilFormat == D3DFMT_D24S8;
        glGenRenderbuffers(1, &depthBuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        glRenderbufferStorage(GL_RENDERBUFFER, stencil ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, depthBuffer_);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;

    backBuffer_ = new D3D8Surface(this, SurfaceKind::BackBuffer, parameters_.BackBufferWidth,
                                  parameters_.BackBufferHeight, parameters_.BackBufferFormat,
                                  D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                                  (parameters_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0);
    backBuffer_->Bind();
    backBuffer_->Release();
    if (parameters_.EnableAutoDepthStencil) {
        depthSurface_ = new D3D8Surface(this, SurfaceKind::DepthStencil, parameters_.BackBufferWidth,
                                        parameters_.BackBufferHeight, parameters_.AutoDepthStencilFormat,
                                        D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, false);
        depthSurface_->Bind();
        depthSurface_->Release();
    }
    return true;
}

void D3D8Device::DestroyFrameBuffer() {
    if (backBuffer_ != nullptr) backBuffer_->Unbind();
    if (depthSurface_ != nullptr) depthSurface_->Unbind();
    backBuffer_ = depthSurface_ = nullptr;
    if (frameBuffer_ != 0) glDeleteFramebuffers(1, &frameBuffer_);
    if (colourTexture_ != 0) glDeleteTextures(1, &colourTexture_);
    if (depthBuffer_ != 0) glDeleteRenderbuffers(1, &depthBuffer_);
    frameBuffer_ = colourTexture_ = depthBuffer_ = 0;
    TextureBindingChanged();
}

void D3D8Device::InitGlState() {
    glGenSamplers(1, &sampler_);
    glBindSampler(0, sampler_);
    glGenVertexArrays(1, &scratchVao_);
    glGenBuffers(1, &userVertices_);
    glGenBuffers(1, &userIndices_);
    glActiveTexture(GL_TEXTURE0);
    // Values of the attributes a vertex format leaves out.
    glVertexAttrib4f(ATTRIB_DIFFUSE, 1.0f, 1.0f, 1.0f, 1.0f);
    glVertexAttrib4f(ATTRIB_SPECULAR, 0.0f, 0.0f, 0.0f, 0.0f);
    glVertexAttrib4f(ATTRIB_TEXCOORD, 0.0f, 0.0f, 0.0f, 1.0f);
    glVertexAttrib4f(ATTRIB_NORMAL, 0.0f, 0.0f, 0.0f, 0.0f);
    glFrontFace(GL_CCW);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer_);
}

void D3D8Device::ResetStates() {
    DWORD zero = FloatBits(0.0f), one = FloatBits(1.0f);
    renderStates_.fill(0);
    auto& rs = renderStates_;
    rs[D3DRS_ZENABLE] = parameters_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = zero;
    rs[D3DRS_FOGEND] = one;
    rs[D3DRS_FOGDENSITY] = one;
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_SOFTWAREVERTEXPROCESSING] = (creation_.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0;
    rs[D3DRS_POINTSIZE] = one;
    rs[D3DRS_POINTSIZE_MIN] = zero;
    rs[D3DRS_POINTSCALE_A] = one;
    rs[D3DRS_POINTSCALE_B] = zero;
    rs[D3DRS_POINTSCALE_C] = zero;
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_PATCHSEGMENTS] = one;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_TWEENFACTOR] = zero;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONORDER] = D3DORDER_CUBIC;
    rs[D3DRS_NORMALORDER] = D3DORDER_LINEAR;
    for (DWORD s = 0; s < RENDER_STATE_COUNT; ++s) ApplyRenderState(static_cast<D3DRENDERSTATETYPE>(s), rs[s]);

    for (DWORD stage = 0; stage < MAX_TEXTURE_STAGES; ++stage) {
        auto& ts = stageStates_[stage];
        ts.fill(0);
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = stage;
        ts[D3DTSS_ADDRESSU] = ts[D3DTSS_ADDRESSV] = ts[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        ts[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        ts[D3DTSS_MAXANISOTROPY] = 1;
        ts[D3DTSS_COLORARG0] = ts[D3DTSS_ALPHAARG0] = ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    world_ = view_ = projection_ = Identity();
    textureTransforms_.fill(Identity());
    extraWorlds_.assign(255, Identity());
    viewport_ = {0, 0, parameters_.BackBufferWidth, parameters_.BackBufferHeight, 0.0f, 1.0f};
    ApplyViewport();
    material_ = {};
    transformsDirty_ = uniformsDirty_ = samplerDirty_ = true;
}

D3D8Device::~D3D8Device() {
    if (context_ != nullptr) {
        MakeCurrent();
        for (auto& block : stateBlocks_)
            if (block != nullptr) FreeStateBlock(*block);
        if (recording_ != nullptr) FreeStateBlock(*recording_);
        ReleaseBindings();
        DestroyFrameBuffer();
        for (auto& program : programs_) program->Destroy();
        if (sampler_ != 0) glDeleteSamplers(1, &sampler_);
        if (scratchVao_ != 0) glDeleteVertexArrays(1, &scratchVao_);
        if (userVertices_ != 0) glDeleteBuffers(1, &userVertices_);
        if (userIndices_ != 0) glDeleteBuffers(1, &userIndices_);
        SDL_GL_MakeCurrent(sdlWindow_, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    if (spareWindow_ != nullptr) SDL_DestroyWindow(spareWindow_);
    direct3D_->Release();
}

void D3D8Device::ReleaseBindings() {
    for (D3D8Texture*& texture : textures_) {
        if (texture != nullptr) texture->Unbind();
        texture = nullptr;
    }
    if (stream_ != nullptr) stream_->Unbind();
    stream_ = nullptr;
    if (indices_ != nullptr) indices_->Unbind();
    indices_ = nullptr;
}

bool D3D8Device::WindowTakenOver() {
    if (spareWindow_ != nullptr) return true;
    SDL_Window* now = PlatformWindowSdl(window_);
    if (now == nullptr || now == sdlWindow_) return false;
    RequestGlCoreContext();
    spareWindow_ = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    sdlWindow_ = spareWindow_;
    return true;
}

void D3D8Device::MakeCurrent() {
    if (SDL_GL_GetCurrentContext() == context_) return;
    WindowTakenOver();
    SDL_GL_MakeCurrent(sdlWindow_, context_);
}

void D3D8Device::ForgetGlTexture(GLuint texture) {
    if (boundGlTexture_ == texture) boundGlTexture_ = UINT32_MAX;
}

void D3D8Device::ForgetVertexArray(GLuint vao) {
    if (vao != 0 && boundVao_ == vao) boundVao_ = UINT32_MAX;
}

HRESULT D3D8Device::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirect3DDevice8);
}

// ---------------------------------------------------------------- device queries

HRESULT D3D8Device::TestCooperativeLevel() { return D3D_OK; }

UINT D3D8Device::GetAvailableTextureMem() {
    return static_cast<UINT>(std::min<uint64_t>(textureMemory_.Left(), 0xFFFFFFFFu));
}

HRESULT D3D8Device::ResourceManagerDiscardBytes(DWORD) { return D3D_OK; }

HRESULT D3D8Device::GetDirect3D(IDirect3D8** ppD3D8) {
    if (ppD3D8 == nullptr) return D3DERR_INVALIDCALL;
    direct3D_->AddRef();
    *ppD3D8 = direct3D_;
    return D3D_OK;
}

HRESULT D3D8Device::GetDeviceCaps(D3DCAPS8* pCaps) {
    if (pCaps == nullptr) return D3DERR_INVALIDCALL;
    *pCaps = caps_;
    return D3D_OK;
}

HRESULT D3D8Device::GetDisplayMode(D3DDISPLAYMODE* pMode) {
    if (pMode == nullptr) return D3DERR_INVALIDCALL;
    *pMode = displayMode_;
    return D3D_OK;
}

HRESULT D3D8Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
    if (pParameters == nullptr) return D3DERR_INVALIDCALL;
    *pParameters = creation_;
    return D3D_OK;
}

HRESULT D3D8Device::SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface8* pCursorBitmap) {
    auto* surface = dynamic_cast<D3D8Surface*>(pCursorBitmap);
    if (surface == nullptr || surface->Desc().Format != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& desc = surface->Desc();
    if (XHotSpot >= desc.Width || YHotSpot >= desc.Height) return D3DERR_INVALIDCALL;
    SDL_Surface* image = SDL_CreateRGBSurfaceWithFormatFrom(
        surface->Bits().data(), static_cast<int>(desc.Width), static_cast<int>(desc.Height), 32,
        static_cast<int>(surface->Pitch()), SDL_PIXELFORMAT_ARGB8888);
    if (image == nullptr) return D3DERR_INVALIDCALL;
    SDL_Cursor* cursor = SDL_CreateColorCursor(image, static_cast<int>(XHotSpot), static_cast<int>(YHotSpot));
    SDL_FreeSurface(image);
    if (cursor == nullptr) return D3DERR_NOTAVAILABLE;
    SDL_SetCursor(cursor);
    return D3D_OK;
}

void D3D8Device::SetCursorPosition(int X, int Y, DWORD) { SDL_WarpMouseInWindow(sdlWindow_, X, Y); }

BOOL D3D8Device::ShowCursor(BOOL bShow) {
    int previous = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(bShow ? SDL_ENABLE : SDL_DISABLE);
    return previous == SDL_ENABLE ? TRUE : FALSE;
}

HRESULT D3D8Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain8** pSwapChain) {
    if (pSwapChain != nullptr) *pSwapChain = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) {
    if (pPresentationParameters == nullptr) return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS next = *pPresentationParameters;
    if (next.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX || next.MultiSampleType != D3DMULTISAMPLE_NONE)
        return D3DERR_INVALIDCALL;
    if (next.BackBufferCount == 0) next.BackBufferCount = 1;
    if (next.BackBufferFormat == D3DFMT_UNKNOWN) next.BackBufferFormat = parameters_.BackBufferFormat;
    if (next.BackBufferWidth == 0) next.BackBufferWidth = parameters_.BackBufferWidth;
    if (next.BackBufferHeight == 0) next.BackBufferHeight = parameters_.BackBufferHeight;
    if (!IsBackBufferFormat(next.BackBufferFormat)) return D3DERR_INVALIDCALL;
    if (next.EnableAutoDepthStencil && next.AutoDepthStencilFormat != D3DFMT_D16 &&
        next.AutoDepthStencilFormat != D3DFMT_D24S8)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    // The old back buffer may not be held by the application across a reset.
    if (backBuffer_ != nullptr && backBuffer_->PublicRefs() != 0) return D3DERR_INVALIDCALL;
    if (depthSurface_ != nullptr && depthSurface_->PublicRefs() != 0) return D3DERR_INVALIDCALL;
    next.hDeviceWindow = parameters_.hDeviceWindow;
    DestroyFrameBuffer();
    parameters_ = next;
    bool windowed = next.Windowed || PlatformGetSettings().windowed || headless_;
    if (windowed) SDL_SetWindowSize(sdlWindow_, static_cast<int>(next.BackBufferWidth), static_cast<int>(next.BackBufferHeight));
    bool made = false;
    HRESULT result = NoThrowCall([&] {
        made = CreateFrameBuffer();
        return D3D_OK;
    });
    if (FAILED(result)) return result;
    if (!made) return D3DERR_NOTAVAILABLE;
    ReleaseBindings();
    ResetStates();
    inScene_ = false;
    *pPresentationParameters = parameters_;
    return D3D_OK;
}

HRESULT D3D8Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND, const RGNDATA*) {
    MakeCurrent();
    if (WindowTakenOver()) return D3DERR_DEVICELOST;
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(sdlWindow_, &drawableWidth, &drawableHeight);
    int bw = static_cast<int>(parameters_.BackBufferWidth), bh = static_cast<int>(parameters_.BackBufferHeight);
    int sx0 = 0, sy0 = 0, sx1 = bw, sy1 = bh;
    if (pSourceRect != nullptr) {
        sx0 = std::clamp<int>(pSourceRect->left, 0, bw);
        sx1 = std::clamp<int>(pSourceRect->right, 0, bw);
        sy0 = std::clamp<int>(pSourceRect->top, 0, bh);
        sy1 = std::clamp<int>(pSourceRect->bottom, 0, bh);
    }
    int dx0, dy0, dx1, dy1;
    if (pDestRect != nullptr) {
        dx0 = pDestRect->left;
        dy0 = pDestRect->top;
        dx1 = pDestRect->right;
        dy1 = pDestRect->bottom;
    } else {
        // The whole frame, as large as the window allows with its aspect kept.
        int sw = std::max(sx1 - sx0, 1), sh = std::max(sy1 - sy0, 1);
        double scale = std::min(static_cast<double>(drawableWidth) / sw, static_cast<double>(drawableHeight) / sh);
        int w = static_cast<int>(std::lround(sw * scale)), h = static_cast<int>(std::lround(sh * scale));
        dx0 = (drawableWidth - w) / 2;
        dy0 = (drawableHeight - h) / 2;
        dx1 = dx0 + w;
        dy1 = dy0 + h;
    }
    bool sameSize = (dx1 - dx0) == (sx1 - sx0) && (dy1 - dy0) == (sy1 - sy0);

    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer_);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Row 0 of the frame buffer is the top row; the window's row 0 is its bottom.
    glBlitFramebuffer(sx0, sy0, sx1, sy1, dx0, drawableHeight - dy0, dx1, drawableHeight - dy1, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(sdlWindow_);
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer_);
    ApplyRenderState(D3DRS_COLORWRITEENABLE, renderStates_[D3DRS_COLORWRITEENABLE]);

    if (PlatformFramePresented(window_)) {
        // A frame that cannot be read back for lack of memory is not saved.
        NoThrowCall([&] {
            std::vector<uint8_t> rgba;
            ReadBackBufferRgba(rgba);
            PlatformSaveCapture(rgba.data(), bw, bh, bw * 4, false);
            return D3D_OK;
        });
    }
    return D3D_OK;
}

void D3D8Device::ReadBackBufferRgba(std::vector<uint8_t>& rgba) {
    MakeCurrent();
    GLsizei w = static_cast<GLsizei>(parameters_.BackBufferWidth), h = static_cast<GLsizei>(parameters_.BackBufferHeight);
    rgba.resize(static_cast<size_t>(w) * h * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    if (!HasAlpha(parameters_.BackBufferFormat))
        for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
}

namespace {

// How the back buffer's pixels read and write in Direct3D's layout.
bool BackBufferTransfer(D3DFORMAT format, GLenum* layout, GLenum* type, size_t* bytes) {
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
        *layout = GL_BGRA;
        *type = GL_UNSIGNED_INT_8_8_8_8_REV;
        *bytes = 4;
        return true;
    case D3DFMT_R5G6B5:
        *layout = GL_RGB;
        *type = GL_UNSIGNED_SHORT_5_6_5;
        *bytes = 2;
        return true;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        *layout = GL_BGRA;
        *type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
        *bytes = 2;
        return true;
    default: return false;
    }
}

}  // namespace

bool D3D8Device::ReadBackBufferBgra(std::vector<uint8_t>& bits) {
    GLenum layout, type;
    size_t bytes;
    if (!BackBufferTransfer(parameters_.BackBufferFormat, &layout, &type, &bytes)) return false;
    MakeCurrent();
    GLsizei w = static_cast<GLsizei>(parameters_.BackBufferWidth), h = static_cast<GLsizei>(parameters_.BackBufferHeight);
    bits.resize(static_cast<size_t>(w) * h * bytes);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, layout, type, bits.data());
    return true;
}

void D3D8Device::WriteBackBufferBgra(const std::vector<uint8_t>& bits) {
    GLenum layout, type;
    size_t bytes;
    if (!BackBufferTransfer(parameters_.BackBufferFormat, &layout, &type, &bytes)) return;
    GLsizei w = static_cast<GLsizei>(parameters_.BackBufferWidth), h = static_cast<GLsizei>(parameters_.BackBufferHeight);
    if (bits.size() < static_cast<size_t>(w) * h * bytes) return;
    MakeCurrent();
    glBindTexture(GL_TEXTURE_2D, colourTexture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, layout, type, bits.data());
    TextureBindingChanged();
}

HRESULT D3D8Device::GetBackBuffer(UINT BackBuffer, D3DBACKBUFFER_TYPE, IDirect3DSurface8** ppBackBuffer) {
    if (ppBackBuffer == nullptr || BackBuffer >= parameters_.BackBufferCount || backBuffer_ == nullptr)
        return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *ppBackBuffer = backBuffer_;
    return D3D_OK;
}

HRESULT D3D8Device::GetRasterStatus(D3DRASTER_STATUS*) { return D3DERR_INVALIDCALL; }

void D3D8Device::SetGammaRamp(DWORD, const D3DGAMMARAMP* pRamp) {
    if (pRamp == nullptr) return;
    gamma_ = *pRamp;
    if (!parameters_.Windowed && !headless_)
        SDL_SetWindowGammaRamp(sdlWindow_, gamma_.red, gamma_.green, gamma_.blue);
}

void D3D8Device::GetGammaRamp(D3DGAMMARAMP* pRamp) {
    if (pRamp != nullptr) *pRamp = gamma_;
}

// ---------------------------------------------------------------- resources

HRESULT D3D8Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DTexture8** ppTexture) {
    if (ppTexture == nullptr) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (Width == 0 || Height == 0) return D3DERR_INVALIDCALL;
    if (Pool != D3DPOOL_DEFAULT && Pool != D3DPOOL_MANAGED && Pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if ((Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0) return D3DERR_INVALIDCALL;
    if ((Usage & D3DUSAGE_DYNAMIC) != 0 && Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    const TextureFormat& format = DescribeFormat(Format);
    if (!format.texture) return D3DERR_INVALIDCALL;
    if (format.compressed && (Width % 4 != 0 || Height % 4 != 0)) return D3DERR_INVALIDCALL;
    // The limits this device reports are the limits it keeps.
    if (Width > caps_.MaxTextureWidth || Height > caps_.MaxTextureHeight) return D3DERR_INVALIDCALL;
    if ((caps_.TextureCaps & D3DPTEXTURECAPS_POW2) && (!IsPowerOfTwo(Width) || !IsPowerOfTwo(Height)))
        return D3DERR_INVALIDCALL;
    if ((caps_.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && Width != Height) return D3DERR_INVALIDCALL;
    uint64_t aspect = caps_.MaxTextureAspectRatio;
    if (aspect != 0 && (Width > Height * aspect || Height > Width * aspect)) return D3DERR_INVALIDCALL;
    UINT full = D3D8Texture::FullChain(Width, Height);
    if (!(caps_.TextureCaps & D3DPTEXTURECAPS_MIPMAP)) full = 1;
    if (Levels == 0) Levels = full;
    if (Levels > full) return D3DERR_INVALIDCALL;
    // Beyond the budget a default-pool texture finds no video memory; the
    // others, and any allocation that fails, are out of memory.
    uint64_t cost = D3D8Texture::MemoryCost(Width, Height, Levels, Format, Pool, decodeDxt_);
    if (!textureMemory_.Reserve(cost)) return Pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY;
    MakeCurrent();
    HRESULT result = NoThrowCall([&] {
        *ppTexture = new D3D8Texture(this, Width, Height, Levels, Usage, Format, Pool, cost);
        return D3D_OK;
    });
    if (FAILED(result)) textureMemory_.Return(cost);
    return result;
}

HRESULT D3D8Device::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                        IDirect3DVolumeTexture8** ppVolumeTexture) {
    if (ppVolumeTexture != nullptr) *ppVolumeTexture = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture8** ppCubeTexture) {
    if (ppCubeTexture != nullptr) *ppCubeTexture = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                       IDirect3DVertexBuffer8** ppVertexBuffer) {
    if (ppVertexBuffer == nullptr) return D3DERR_INVALIDCALL;
    *ppVertexBuffer = nullptr;
    if (Length == 0 || Pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (FVF != 0) {
        VertexLayout layout = DescribeFvf(FVF);
        if (!layout.valid || Length < layout.size) return D3DERR_INVALIDCALL;
    }
    return NoThrowCall([&] {
        *ppVertexBuffer = new D3D8VertexBuffer(this, Length, Usage, FVF, Pool);
        return D3D_OK;
    });
}

HRESULT D3D8Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DIndexBuffer8** ppIndexBuffer) {
    if (ppIndexBuffer == nullptr) return D3DERR_INVALIDCALL;
    *ppIndexBuffer = nullptr;
    if (Length == 0 || Pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    return NoThrowCall([&] {
        *ppIndexBuffer = new D3D8IndexBuffer(this, Length, Usage, Format, Pool);
        return D3D_OK;
    });
}

HRESULT D3D8Device::CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL, IDirect3DSurface8** ppSurface) {
    if (ppSurface != nullptr) *ppSurface = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE,
                                              IDirect3DSurface8** ppSurface) {
    if (ppSurface != nullptr) *ppSurface = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT D3D8Device::CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format, IDirect3DSurface8** ppSurface) {
    if (ppSurface == nullptr) return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    const TextureFormat& format = DescribeFormat(Format);
    if (Width == 0 || Height == 0 || !format.texture) return D3DERR_INVALIDCALL;
    if (format.compressed && (Width % 4 != 0 || Height % 4 != 0)) return D3DERR_INVALIDCALL;
    // Pixels beyond what a surface's 32-bit size can describe cannot be had.
    uint64_t units = format.compressed ? (uint64_t{Width} + 3) / 4 * ((uint64_t{Height} + 3) / 4)
                                       : uint64_t{Width} * Height;
    if (units * format.bytesPerUnit > 0xFFFFFFFFu) return E_OUTOFMEMORY;
    return NoThrowCall([&] {
        *ppSurface = new D3D8Surface(this, SurfaceKind::Image, Width, Height, Format, 0, D3DPOOL_SYSTEMMEM, true);
        return D3D_OK;
    });
}

HRESULT D3D8Device::CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                              IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) {
    auto* source = dynamic_cast<D3D8Surface*>(pSourceSurface);
    auto* dest = dynamic_cast<D3D8Surface*>(pDestinationSurface);
    if (source == nullptr || dest == nullptr || source == dest) return D3DERR_INVALIDCALL;
    if (source->Desc().Format != dest->Desc().Format) return D3DERR_INVALIDCALL;
    if (dest->Kind() == SurfaceKind::BackBuffer || dest->Kind() == SurfaceKind::DepthStencil ||
        source->Kind() == SurfaceKind::DepthStencil || source->Locked() || dest->Locked())
        return D3DERR_INVALIDCALL;
    bool read = true;
    HRESULT result = NoThrowCall([&] {
        if (source->Kind() == SurfaceKind::BackBuffer) read = ReadBackBufferBgra(source->Bits());
        return D3D_OK;
    });
    if (FAILED(result)) return result;
    if (!read) return D3DERR_INVALIDCALL;
    const TextureFormat& format = source->Format();
    const D3DSURFACE_DESC& sd = source->Desc();
    const D3DSURFACE_DESC& dd = dest->Desc();
    RECT whole{0, 0, static_cast<LONG>(sd.Width), static_cast<LONG>(sd.Height)};
    UINT count = pSourceRectsArray != nullptr ? cRects : 1;
    for (UINT i = 0; i < count; ++i) {
        RECT r = pSourceRectsArray != nullptr ? pSourceRectsArray[i] : whole;
        POINT at = pDestPointsArray != nullptr ? pDestPointsArray[i] : POINT{r.left, r.top};
        RECT target{at.x, at.y, at.x + (r.right - r.left), at.y + (r.bottom - r.top)};
        size_t from = 0, to = 0;
        if (!LockOffset(format, source->Pitch(), sd.Width, sd.Height, &r, &from) ||
            !LockOffset(format, dest->Pitch(), dd.Width, dd.Height, &target, &to))
            return D3DERR_INVALIDCALL;
        UINT rows = format.compressed ? (static_cast<UINT>(r.bottom - r.top) + 3) / 4 : static_cast<UINT>(r.bottom - r.top);
        UINT rowBytes = FormatPitch(format, static_cast<UINT>(r.right - r.left));
        for (UINT row = 0; row < rows; ++row)
            std::memcpy(dest->Bits().data() + to + static_cast<size_t>(row) * dest->Pitch(),
                        source->Bits().data() + from + static_cast<size_t>(row) * source->Pitch(), rowBytes);
    }
    dest->Written();
    return D3D_OK;
}

HRESULT D3D8Device::UpdateTexture(IDirect3DBaseTexture8* pSourceTexture, IDirect3DBaseTexture8* pDestinationTexture) {
    auto* source = dynamic_cast<D3D8Texture*>(pSourceTexture);
    auto* dest = dynamic_cast<D3D8Texture*>(pDestinationTexture);
    if (source == nullptr || dest == nullptr || source == dest) return D3DERR_INVALIDCALL;
    if (source->Pool() != D3DPOOL_SYSTEMMEM || dest->Pool() != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (source->FormatCode() != dest->FormatCode()) return D3DERR_INVALIDCALL;
    // Source levels are matched to destination levels by size.
    UINT first = 0;
    while (first < source->LevelCount() &&
           (source->Level(first)->Desc().Width != dest->Level(0)->Desc().Width ||
            source->Level(first)->Desc().Height != dest->Level(0)->Desc().Height))
        ++first;
    if (first == source->LevelCount() || source->LevelCount() - first < dest->LevelCount()) return D3DERR_INVALIDCALL;
    for (UINT level = 0; level < dest->LevelCount(); ++level) {
        if (source->Level(first + level)->Locked() || dest->Level(level)->Locked()) return D3DERR_INVALIDCALL;
        dest->Level(level)->Bits() = source->Level(first + level)->Bits();
        dest->MarkDirty(level);
    }
    return D3D_OK;
}

HRESULT D3D8Device::GetFrontBuffer(IDirect3DSurface8* pDestSurface) {
    auto* dest = dynamic_cast<D3D8Surface*>(pDestSurface);
    if (dest == nullptr || dest->Desc().Format != D3DFMT_A8R8G8B8 || dest->Kind() == SurfaceKind::BackBuffer ||
        dest->Kind() == SurfaceKind::DepthStencil || dest->Locked())
        return D3DERR_INVALIDCALL;
    UINT w = parameters_.BackBufferWidth, h = parameters_.BackBufferHeight;
    if (dest->Desc().Width < w || dest->Desc().Height < h) return D3DERR_INVALIDCALL;
    std::vector<uint8_t> rgba;
    HRESULT read = NoThrowCall([&] {
        ReadBackBufferRgba(rgba);
        return D3D_OK;
    });
    if (FAILED(read)) return read;
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            const uint8_t* in = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            uint8_t* out = dest->Bits().data() + static_cast<size_t>(y) * dest->Pitch() + x * 4;
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
        }
    dest->Written();
    return D3D_OK;
}

HRESULT D3D8Device::SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) {
    // Only the device's own back buffer and depth buffer can be drawn into.
    if (pRenderTarget != nullptr && pRenderTarget != backBuffer_) return D3DERR_INVALIDCALL;
    if (pNewZStencil != nullptr && pNewZStencil != depthSurface_) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT D3D8Device::GetRenderTarget(IDirect3DSurface8** ppRenderTarget) {
    return GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, ppRenderTarget);
}

HRESULT D3D8Device::GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) {
    if (ppZStencilSurface == nullptr) return D3DERR_INVALIDCALL;
    *ppZStencilSurface = nullptr;
    if (depthSurface_ == nullptr) return D3DERR_NOTFOUND;
    depthSurface_->AddRef();
    *ppZStencilSurface = depthSurface_;
    return D3D_OK;
}

// ---------------------------------------------------------------- scene and clear

HRESULT D3D8Device::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT D3D8Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
    if ((Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0) return D3DERR_INVALIDCALL;
    bool stencilBuffer = depthBuffer_ != 0 && parameters_.AutoDepthStencilFormat == D3DFMT_D24S8;
    if ((Flags & D3DCLEAR_ZBUFFER) && depthBuffer_ == 0) return D3DERR_INVALIDCALL;
    if ((Flags & D3DCLEAR_STENCIL) && !stencilBuffer) return D3DERR_INVALIDCALL;
    if (Count != 0 && pRects == nullptr) return D3DERR_INVALIDCALL;
    MakeCurrent();
    GLbitfield mask = 0;
    if (Flags & D3DCLEAR_TARGET) mask |= GL_COLOR_BUFFER_BIT;
    if (Flags & D3DCLEAR_ZBUFFER) mask |= GL_DEPTH_BUFFER_BIT;
    if (Flags & D3DCLEAR_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
    if (mask == 0) return D3D_OK;
    glClearColor(((Color >> 16) & 0xFF) / 255.0f, ((Color >> 8) & 0xFF) / 255.0f, (Color & 0xFF) / 255.0f,
                 ((Color >> 24) & 0xFF) / 255.0f);
    glClearDepth(std::clamp(Z, 0.0f, 1.0f));
    glClearStencil(static_cast<GLint>(Stencil & 0xFF));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glEnable(GL_SCISSOR_TEST);
    // A clear reaches only the viewport, and of that only the rectangles given.
    LONG vx0 = static_cast<LONG>(viewport_.X), vy0 = static_cast<LONG>(viewport_.Y);
    LONG vx1 = vx0 + static_cast<LONG>(viewport_.Width), vy1 = vy0 + static_cast<LONG>(viewport_.Height);
    D3DRECT whole{vx0, vy0, vx1, vy1};
    DWORD count = Count != 0 ? Count : 1;
    for (DWORD i = 0; i < count; ++i) {
        const D3DRECT& r = Count != 0 ? pRects[i] : whole;
        LONG x0 = std::max(r.x1, vx0), y0 = std::max(r.y1, vy0);
        LONG x1 = std::min(r.x2, vx1), y1 = std::min(r.y2, vy1);
        if (x0 >= x1 || y0 >= y1) continue;
        glScissor(x0, y0, x1 - x0, y1 - y0);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
    ApplyRenderState(D3DRS_COLORWRITEENABLE, renderStates_[D3DRS_COLORWRITEENABLE]);
    ApplyRenderState(D3DRS_ZWRITEENABLE, renderStates_[D3DRS_ZWRITEENABLE]);
    return D3D_OK;
}

// ---------------------------------------------------------------- transforms, viewport, material, lights

HRESULT D3D8Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
    DWORD s = State;
    if (recording_ != nullptr) {
        if (!(s == D3DTS_VIEW || s == D3DTS_PROJECTION || (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) ||
              (s >= 256 && s < 512)))
            return D3DERR_INVALIDCALL;
        return NoThrowCall([&] {
            recording_->transforms.emplace_back(s, *pMatrix);
            return D3D_OK;
        });
    }
    if (s == D3DTS_VIEW) view_ = *pMatrix;
    else if (s == D3DTS_PROJECTION) projection_ = *pMatrix;
    else if (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) textureTransforms_[s - D3DTS_TEXTURE0] = *pMatrix;
    else if (s == 256) world_ = *pMatrix;
    else if (s > 256 && s < 512) extraWorlds_[s - 257] = *pMatrix;
    else return D3DERR_INVALIDCALL;
    transformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
    DWORD s = State;
    if (s == D3DTS_VIEW) *pMatrix = view_;
    else if (s == D3DTS_PROJECTION) *pMatrix = projection_;
    else if (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) *pMatrix = textureTransforms_[s - D3DTS_TEXTURE0];
    else if (s == 256) *pMatrix = world_;
    else if (s > 256 && s < 512) *pMatrix = extraWorlds_[s - 257];
    else return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT D3D8Device::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
    D3DMATRIX current;
    HRESULT result = GetTransform(State, &current);
    if (FAILED(result)) return result;
    D3DMATRIX product = Multiply(*pMatrix, current);
    return SetTransform(State, &product);
}

HRESULT D3D8Device::SetViewport(const D3DVIEWPORT8* pViewport) {
    if (pViewport == nullptr) return D3DERR_INVALIDCALL;
    const D3DVIEWPORT8& v = *pViewport;
    if (v.Width == 0 || v.Height == 0 || v.X + v.Width > parameters_.BackBufferWidth ||
        v.Y + v.Height > parameters_.BackBufferHeight || v.MinZ < 0.0f || v.MaxZ > 1.0f || v.MinZ > v.MaxZ)
        return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->viewportMask = true;
        recording_->viewport = v;
        return D3D_OK;
    }
    viewport_ = v;
    ApplyViewport();
    return D3D_OK;
}

HRESULT D3D8Device::GetViewport(D3DVIEWPORT8* pViewport) {
    if (pViewport == nullptr) return D3DERR_INVALIDCALL;
    *pViewport = viewport_;
    return D3D_OK;
}

void D3D8Device::ApplyViewport() {
    MakeCurrent();
    // Row 0 of the frame buffer is the top row, so Direct3D's Y is GL's y here.
    glViewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y),
               static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
    glDepthRange(viewport_.MinZ, viewport_.MaxZ);
    uniformsDirty_ = true;
}

HRESULT D3D8Device::SetMaterial(const D3DMATERIAL8* pMaterial) {
    if (pMaterial == nullptr) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->materialMask = true;
        recording_->material = *pMaterial;
        return D3D_OK;
    }
    material_ = *pMaterial;
    uniformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetMaterial(D3DMATERIAL8* pMaterial) {
    if (pMaterial == nullptr) return D3DERR_INVALIDCALL;
    *pMaterial = material_;
    return D3D_OK;
}

HRESULT D3D8Device::SetLight(DWORD Index, const D3DLIGHT8* pLight) {
    if (pLight == nullptr || Index >= MAX_LIGHTS) return D3DERR_INVALIDCALL;
    if (pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        return NoThrowCall([&] {
            recording_->lights.push_back({Index, true, *pLight, false, FALSE});
            return D3D_OK;
        });
    }
    lights_[Index] = *pLight;
    lightDefined_[Index] = true;
    uniformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetLight(DWORD Index, D3DLIGHT8* pLight) {
    if (pLight == nullptr || Index >= MAX_LIGHTS || !lightDefined_[Index]) return D3DERR_INVALIDCALL;
    *pLight = lights_[Index];
    return D3D_OK;
}

HRESULT D3D8Device::LightEnable(DWORD Index, BOOL Enable) {
    if (Index >= MAX_LIGHTS) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        return NoThrowCall([&] {
            recording_->lights.push_back({Index, false, {}, true, Enable});
            return D3D_OK;
        });
    }
    if (!lightDefined_[Index]) {
        // Enabling a light never set gives Direct3D's default: a white directional light along +z.
        D3DLIGHT8 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
        light.Direction = {0.0f, 0.0f, 1.0f};
        lights_[Index] = light;
        lightDefined_[Index] = true;
    }
    lightEnabled_[Index] = Enable != FALSE;
    uniformsDirty_ = true;
    return D3D_OK;
}

HRESULT D3D8Device::GetLightEnable(DWORD Index, BOOL* pEnable) {
    if (pEnable == nullptr || Index >= MAX_LIGHTS || !lightDefined_[Index]) return D3DERR_INVALIDCALL;
    *pEnable = lightEnabled_[Index] ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT D3D8Device::SetClipPlane(DWORD Index, const float* pPlane) {
    if (pPlane == nullptr || Index >= D3DMAXUSERCLIPPLANES) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->clipMask[Index] = true;
        std::copy(pPlane, pPlane + 4, recording_->clipPlanes[Index].begin());
        return D3D_OK;
    }
    std::copy(pPlane, pPlane + 4, clipPlanes_[Index].begin());
    return D3D_OK;
}

HRESULT D3D8Device::GetClipPlane(DWORD Index, float* pPlane) {
    if (pPlane == nullptr || Index >= D3DMAXUSERCLIPPLANES) return D3DERR_INVALIDCALL;
    std::copy(clipPlanes_[Index].begin(), clipPlanes_[Index].end(), pPlane);
    return D3D_OK;
}

// ---------------------------------------------------------------- render and stage states

HRESULT D3D8Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    if (State >= RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->renderMask[State] = true;
        recording_->render[State] = Value;
        return D3D_OK;
    }
    if (renderStates_[State] == Value) return D3D_OK;
    renderStates_[State] = Value;
    MakeCurrent();
    ApplyRenderState(State, Value);
    return D3D_OK;
}

HRESULT D3D8Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    if (pValue == nullptr || State >= RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    *pValue = renderStates_[State];
    return D3D_OK;
}

void D3D8Device::ApplyRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    const auto& rs = renderStates_;
    switch (state) {
    case D3DRS_ZENABLE:
        if (value != D3DZB_FALSE && depthBuffer_ != 0) glEnable(GL_DEPTH_TEST);
        else glDisable(GL_DEPTH_TEST);
        break;
    case D3DRS_ZWRITEENABLE:
        glDepthMask(value ? GL_TRUE : GL_FALSE);
        break;
    case D3DRS_ZFUNC:
        glDepthFunc(CompareFunction(value));
        break;
    case D3DRS_FILLMODE:
        glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT ? GL_POINT : value == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
        break;
    case D3DRS_CULLMODE:
        // With y flipped into the frame buffer, Direct3D's clockwise is GL's counter-clockwise.
        if (value == D3DCULL_CW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
        } else if (value == D3DCULL_CCW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        } else {
            glDisable(GL_CULL_FACE);
        }
        break;
    case D3DRS_DITHERENABLE:
        // Off by default, as in Direct3D: a 16-bit frame shows its plain banding.
        if (value) glEnable(GL_DITHER);
        else glDisable(GL_DITHER);
        break;
    case D3DRS_ALPHABLENDENABLE:
        if (value) glEnable(GL_BLEND);
        else glDisable(GL_BLEND);
        break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND: {
        DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
        GLenum s = BlendFactor(src), d = BlendFactor(dst);
        if (src == D3DBLEND_BOTHSRCALPHA) {
            s = GL_SRC_ALPHA;
            d = GL_ONE_MINUS_SRC_ALPHA;
        } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
            s = GL_ONE_MINUS_SRC_ALPHA;
            d = GL_SRC_ALPHA;
        }
        glBlendFunc(s, d);
        break;
    }
    case D3DRS_BLENDOP:
        glBlendEquation(BlendEquation(value));
        break;
    case D3DRS_COLORWRITEENABLE:
        glColorMask((value & D3DCOLORWRITEENABLE_RED) != 0, (value & D3DCOLORWRITEENABLE_GREEN) != 0,
                    (value & D3DCOLORWRITEENABLE_BLUE) != 0, (value & D3DCOLORWRITEENABLE_ALPHA) != 0);
        break;
    case D3DRS_POINTSIZE: {
        float size;
        std::memcpy(&size, &value, sizeof size);
        glPointSize(std::clamp(size, 1.0f, 64.0f));
        break;
    }
    case D3DRS_ZBIAS:
        // A larger bias draws nearer; each step is one unit of depth resolution.
        if (value != 0) {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glEnable(GL_POLYGON_OFFSET_LINE);
            glEnable(GL_POLYGON_OFFSET_POINT);
            glPolygonOffset(0.0f, -static_cast<float>(std::min<DWORD>(value, 16)));
        } else {
            glDisable(GL_POLYGON_OFFSET_FILL);
            glDisable(GL_POLYGON_OFFSET_LINE);
            glDisable(GL_POLYGON_OFFSET_POINT);
        }
        break;
    case D3DRS_FOGENABLE:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_LIGHTING:
    case D3DRS_AMBIENT:
    case D3DRS_COLORVERTEX:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_SPECULARENABLE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_ALPHAREF:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_SHADEMODE:
        uniformsDirty_ = true;
        break;
    default:
        break;
    }
}

HRESULT D3D8Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
    if (pValue == nullptr || Stage >= MAX_TEXTURE_STAGES || Type >= STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    *pValue = stageStates_[Stage][Type];
    return D3D_OK;
}

HRESULT D3D8Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    if (Stage >= MAX_TEXTURE_STAGES || Type >= STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->stageMask[Stage][Type] = true;
        recording_->stage[Stage][Type] = Value;
        return D3D_OK;
    }
    stageStates_[Stage][Type] = Value;
    if (Stage != 0) return D3D_OK;
    switch (Type) {
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MAXANISOTROPY:
        samplerDirty_ = true;
        break;
    default:
        uniformsDirty_ = true;
        break;
    }
    return D3D_OK;
}

HRESULT D3D8Device::GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) {
    if (ppTexture == nullptr || Stage >= MAX_TEXTURE_STAGES) return D3DERR_INVALIDCALL;
    *ppTexture = textures_[Stage];
    if (textures_[Stage] != nullptr) textures_[Stage]->AddRef();
    return D3D_OK;
}

HRESULT D3D8Device::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
    if (Stage >= MAX_TEXTURE_STAGES) return D3DERR_INVALIDCALL;
    D3D8Texture* texture = nullptr;
    if (pTexture != nullptr) {
        texture = dynamic_cast<D3D8Texture*>(pTexture);
        // System-memory textures are only sources for UpdateTexture.
        if (texture == nullptr || texture->Owner() != this || texture->Pool() == D3DPOOL_SYSTEMMEM)
            return D3DERR_INVALIDCALL;
    }
    if (recording_ != nullptr) {
        recording_->textureMask[Stage] = true;
        Hold(recording_->textures[Stage], texture);
        return D3D_OK;
    }
    if (textures_[Stage] == texture) return D3D_OK;
    if (texture != nullptr) texture->Bind();
    D3D8Texture* previous = textures_[Stage];
    textures_[Stage] = texture;
    if (previous != nullptr) previous->Unbind();
    return D3D_OK;
}

HRESULT D3D8Device::ValidateDevice(DWORD* pNumPasses) {
    if (pNumPasses == nullptr) return D3DERR_INVALIDCALL;
    auto supported = [](DWORD op) { return op >= D3DTOP_DISABLE && op <= D3DTOP_DOTPRODUCT3 && op != D3DTOP_PREMODULATE &&
                                           op != D3DTOP_BUMPENVMAP && op != D3DTOP_BUMPENVMAPLUMINANCE; };
    if (!supported(stageStates_[0][D3DTSS_COLOROP])) return D3DERR_UNSUPPORTEDCOLOROPERATION;
    if (!supported(stageStates_[0][D3DTSS_ALPHAOP])) return D3DERR_UNSUPPORTEDALPHAOPERATION;
    for (DWORD stage = 1; stage < MAX_TEXTURE_STAGES; ++stage)
        if (stageStates_[stage][D3DTSS_COLOROP] != D3DTOP_DISABLE) return D3DERR_TOOMANYOPERATIONS;
    *pNumPasses = 1;
    return D3D_OK;
}

HRESULT D3D8Device::GetInfo(DWORD, void*, DWORD) { return S_FALSE; }

HRESULT D3D8Device::SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) {
    if (pEntries == nullptr || PaletteNumber > 0xFFFF) return D3DERR_INVALIDCALL;
    if (palettes_.size() <= PaletteNumber) {
        HRESULT grown = NoThrowCall([&] {
            palettes_.resize(PaletteNumber + 1);
            return D3D_OK;
        });
        if (FAILED(grown)) return grown;
    }
    std::copy(pEntries, pEntries + 256, palettes_[PaletteNumber].begin());
    return D3D_OK;
}

HRESULT D3D8Device::GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) {
    if (pEntries == nullptr || PaletteNumber >= palettes_.size()) return D3DERR_INVALIDCALL;
    std::copy(palettes_[PaletteNumber].begin(), palettes_[PaletteNumber].end(), pEntries);
    return D3D_OK;
}

HRESULT D3D8Device::SetCurrentTexturePalette(UINT PaletteNumber) {
    if (PaletteNumber >= palettes_.size()) return D3DERR_INVALIDCALL;
    if (recording_ != nullptr) {
        recording_->paletteMask = true;
        recording_->palette = PaletteNumber;
        return D3D_OK;
    }
    currentPalette_ = PaletteNumber;
    return D3D_OK;
}

HRESULT D3D8Device::GetCurrentTexturePalette(UINT* PaletteNumber) {
    if (PaletteNumber == nullptr) return D3DERR_INVALIDCALL;
    *PaletteNumber = currentPalette_;
    return D3D_OK;
}

// ---------------------------------------------------------------- clip status; shaders and patches: not offered


HRESULT D3D8Device::SetClipStatus(const D3DCLIPSTATUS8* pClipStatus) {
    if (pClipStatus == nullptr) return D3DERR_INVALIDCALL;
    clipStatus_ = *pClipStatus;
    return D3D_OK;
}

HRESULT D3D8Device::GetClipStatus(D3DCLIPSTATUS8* pClipStatus) {
    if (pClipStatus == nullptr) return D3DERR_INVALIDCALL;
    *pClipStatus = clipStatus_;
    return D3D_OK;
}

HRESULT D3D8Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::CreateVertexShader(const DWORD*, const DWORD*, DWORD*, DWORD) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::DeleteVertexShader(DWORD) { return D3DERR_INVALIDCALL; }
HRESULT D3D8Device::SetVertexShaderConstant(DWORD, const void*, DWORD) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::GetVertexShaderConstant(DWORD, void*, DWORD) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::GetVertexShaderDeclaration(DWORD, void*, DWORD*) { return D3DERR_INVALIDCALL; }
HRESULT D3D8Device::GetVertexShaderFunction(DWORD, void*, DWORD*) { return D3DERR_INVALIDCALL; }
HRESULT D3D8Device::CreatePixelShader(const DWORD*, DWORD*) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::SetPixelShader(DWORD Handle) { return Handle == 0 ? D3D_OK : D3DERR_INVALIDCALL; }
HRESULT D3D8Device::GetPixelShader(DWORD* pHandle) {
    if (pHandle == nullptr) return D3DERR_INVALIDCALL;
    *pHandle = 0;
    return D3D_OK;
}
HRESULT D3D8Device::DeletePixelShader(DWORD) { return D3DERR_INVALIDCALL; }
HRESULT D3D8Device::SetPixelShaderConstant(DWORD, const void*, DWORD) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::GetPixelShaderConstant(DWORD, void*, DWORD) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::GetPixelShaderFunction(DWORD, void*, DWORD*) { return D3DERR_INVALIDCALL; }
HRESULT D3D8Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) { return D3DERR_NOTAVAILABLE; }
HRESULT D3D8Device::DeletePatch(UINT) { return D3DERR_INVALIDCALL; }
