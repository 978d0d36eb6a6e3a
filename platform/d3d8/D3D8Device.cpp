// Device creation, presentation, the back buffer, scene and clear. Resources are
// made in D3D8DeviceResources.cpp; transforms, lights and the render and texture
// stage states are in D3D8DeviceStates.cpp; drawing and the fixed-function
// program's inputs in D3D8DeviceDrawing.cpp.
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
bool keepTextureCopies = false;

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

bool HasAlpha(D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4; }

bool IsBackBufferFormat(D3DFORMAT f) {
    return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8 || f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5 ||
           f == D3DFMT_A1R5G5B5;
}

}  // namespace

void D3D8ForceDxtDecode(bool force) { forceDxtDecode = force; }
void D3D8KeepTextureCopies(bool keep) { keepTextureCopies = keep; }

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

size_t D3D8BytesInMemory(IDirect3DResource8* resource) {
    if (auto* buffer = dynamic_cast<D3D8VertexBuffer*>(resource)) return buffer->Bytes().size();
    if (auto* buffer = dynamic_cast<D3D8IndexBuffer*>(resource)) return buffer->Bytes().size();
    auto* texture = dynamic_cast<D3D8Texture*>(resource);
    if (texture == nullptr) return SIZE_MAX;
    size_t bytes = 0;
    for (UINT level = 0; level < texture->LevelCount(); ++level) bytes += texture->Level(level)->Bits().size();
    return bytes;
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
    if (keepTextureCopies) limits_.textureStorage = limits_.textureReadBack = false;
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
    if (HRESULT resident = surface->MakeResident(); FAILED(resident)) return resident;
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
    SettlePendingTexture();
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
