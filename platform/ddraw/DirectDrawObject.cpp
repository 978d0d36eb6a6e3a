#include "platform/ddraw/DirectDrawObject.h"

#include <cstring>

#include "platform/ddraw/DirectDrawClipperObject.h"
#include "platform/ddraw/DirectDrawSurface.h"
#include "platform/ddraw/DisplayFormat.h"
#include "platform/win32/ComGuard.h"
#include "platform/win32/PlatformSettings.h"
#include "platform/win32/PlatformWindow.h"

namespace {

constexpr int MAX_SURFACE_SIDE = 16384;
constexpr DWORD MAX_BACK_BUFFERS = 3;

// The one DirectDraw object that holds the display exclusively, if any.
DirectDrawObject* exclusiveOwner = nullptr;

// What a plain off-screen surface may ask for besides DDSCAPS_OFFSCREENPLAIN.
constexpr DWORD PLAIN_CAPS = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY |
                             DDSCAPS_LOCALVIDMEM | DDSCAPS_WRITEONLY | DDSCAPS_OWNDC;
constexpr DWORD PRIMARY_CAPS = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY |
                               DDSCAPS_LOCALVIDMEM | DDSCAPS_WRITEONLY;

// Everything the blitter does, for both the driver and the emulation layer.
constexpr DWORD LAYER_CAPS = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_GDI | DDCAPS_COLORKEY | DDCAPS_BLTCOLORFILL |
                             DDCAPS_CANCLIP | DDCAPS_CANCLIPSTRETCHED | DDCAPS_CANBLTSYSMEM;
constexpr DWORD LAYER_FX_CAPS = DDFXCAPS_BLTSHRINKX | DDFXCAPS_BLTSHRINKXN | DDFXCAPS_BLTSHRINKY |
                                DDFXCAPS_BLTSHRINKYN | DDFXCAPS_BLTSTRETCHX | DDFXCAPS_BLTSTRETCHXN |
                                DDFXCAPS_BLTSTRETCHY | DDFXCAPS_BLTSTRETCHYN;

}  // namespace

bool ValidDescSize(DWORD size) { return size == sizeof(DDSURFACEDESC2) || size == DDSURFACEDESC2_SIZE_32BIT; }
bool ValidBltFxSize(DWORD size) { return size == sizeof(DDBLTFX) || size == DDBLTFX_SIZE_32BIT; }

DirectDrawObject::~DirectDrawObject() {
    if (exclusiveOwner == this) {
        RestoreDisplayMode();
        exclusiveOwner = nullptr;
    }
}

HRESULT DirectDrawObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectDraw7);
}

bool DirectDrawObject::Exclusive() const { return exclusiveOwner == this; }

bool DirectDrawObject::TakeMemory(size_t bytes) {
    if (bytes > VIDEO_MEMORY_BYTES - memoryUsed_) return false;
    memoryUsed_ += bytes;
    return true;
}

void DirectDrawObject::GiveMemory(size_t bytes) { memoryUsed_ -= bytes; }

void DirectDrawObject::PrimaryGone(DirectDrawSurface* primary) {
    if (primary_ == primary) primary_ = nullptr;
}

Uint32 DirectDrawObject::CurrentFormat() const {
    // Without a mode of its own the display keeps the desktop's 32-bit format.
    return DisplayFormatForBits(modeSet_ ? modeBits_ : 32);
}

void DirectDrawObject::CurrentSize(int* width, int* height) const {
    *width = modeWidth_;
    *height = modeHeight_;
    if (modeSet_) return;
    SDL_DisplayMode desktop;
    if (PlatformVideoInit() && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        *width = desktop.w;
        *height = desktop.h;
    } else {
        *width = 640;
        *height = 480;
    }
}

bool DisplayWindowSize(HWND window, int* width, int* height) {
    if (window == nullptr || exclusiveOwner == nullptr || exclusiveOwner->Window() != window) return false;
    exclusiveOwner->CurrentSize(width, height);
    return true;
}

HRESULT DirectDrawObject::SetCooperativeLevel(HWND window, DWORD flags) {
    bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    bool normal = (flags & DDSCL_NORMAL) != 0;
    if (exclusive != fullScreen || normal == exclusive) return DDERR_INVALIDPARAMS;
    if (window != nullptr && !IsWindow(window)) return DDERR_INVALIDPARAMS;
    if (exclusive) {
        if (window == nullptr) return DDERR_INVALIDPARAMS;
        if (exclusiveOwner != nullptr && exclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
        exclusiveOwner = this;
    } else if (exclusiveOwner == this) {
        RestoreDisplayMode();
        exclusiveOwner = nullptr;
    }
    cooperativeSet_ = true;
    cooperativeFlags_ = flags;
    window_ = window;
    return DD_OK;
}

HRESULT DirectDrawObject::TestCooperativeLevel() {
    if (!cooperativeSet_) return DD_OK;
    if (cooperativeFlags_ & DDSCL_EXCLUSIVE) return Exclusive() ? DD_OK : DDERR_NOEXCLUSIVEMODE;
    return exclusiveOwner != nullptr ? DDERR_EXCLUSIVEMODEALREADYSET : DD_OK;
}

HRESULT DirectDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD, DWORD flags) {
    if (flags != 0 || width < 1 || height < 1 || width > MAX_SURFACE_SIDE || height > MAX_SURFACE_SIDE)
        return DDERR_INVALIDPARAMS;
    if (DisplayFormatForBits(bitsPerPixel) == SDL_PIXELFORMAT_UNKNOWN) return DDERR_INVALIDMODE;
    if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    Uint32 sdlFlags = SDL_WINDOW_SHOWN;
    int windowWidth = int(width), windowHeight = int(height);
    if (!PlatformGetSettings().windowed) {
        // The display's own mode of this size where it has one; else the
        // desktop, with each frame scaled to fit it.
        SDL_DisplayMode wanted = {0, int(width), int(height), 0, nullptr}, found = {}, desktop = {};
        if (SDL_GetClosestDisplayMode(0, &wanted, &found) != nullptr && found.w == int(width) &&
            found.h == int(height)) {
            sdlFlags |= SDL_WINDOW_FULLSCREEN;
        } else if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
            sdlFlags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
            windowWidth = desktop.w;
            windowHeight = desktop.h;
        }
    }
    SDL_Window* shown = PlatformWindowRecreate(window_, sdlFlags, windowWidth, windowHeight);
    // Where full screen cannot be had, a window of the mode's size.
    if (shown == nullptr && sdlFlags != SDL_WINDOW_SHOWN)
        shown = PlatformWindowRecreate(window_, SDL_WINDOW_SHOWN, int(width), int(height));
    if (shown == nullptr) return DDERR_INVALIDMODE;
    modeSet_ = true;
    modeWidth_ = int(width);
    modeHeight_ = int(height);
    modeBits_ = bitsPerPixel;
    return DD_OK;
}

HRESULT DirectDrawObject::RestoreDisplayMode() {
    if (!modeSet_) return DD_OK;
    modeSet_ = false;
    if (SDL_Window* shown = PlatformWindowSdl(window_)) {
        SDL_SetWindowFullscreen(shown, 0);
    }
    return DD_OK;
}

HRESULT DirectDrawObject::GetDisplayMode(LPDDSURFACEDESC2 desc) {
    if (desc == nullptr || !ValidDescSize(desc->dwSize)) return DDERR_INVALIDPARAMS;
    DWORD size = desc->dwSize;
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = size;
    int width, height;
    CurrentSize(&width, &height);
    Uint32 format = CurrentFormat();
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc->dwWidth = DWORD(width);
    desc->dwHeight = DWORD(height);
    desc->lPitch = LONG(width * SDL_BYTESPERPIXEL(format));
    DescribeFormat(format, &desc->ddpfPixelFormat);
    return DD_OK;
}

HRESULT DirectDrawObject::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) {
    return DirectDrawCreateClipper(flags, clipper, outer);
}

HRESULT DirectDrawObject::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) {
    if (desc == nullptr || surface == nullptr || !ValidDescSize(desc->dwSize) || !(desc->dwFlags & DDSD_CAPS))
        return DDERR_INVALIDPARAMS;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (!cooperativeSet_) return DDERR_NOCOOPERATIVELEVELSET;
    DWORD caps = desc->ddsCaps.dwCaps;
    Uint32 format = CurrentFormat();
    int width = 0, height = 0;
    DWORD backBuffers = 0;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if ((caps & ~PRIMARY_CAPS) || (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)))
            return DDERR_INVALIDPARAMS;
        if (primary_ != nullptr) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        if (caps & DDSCAPS_FLIP) {
            if (!(caps & DDSCAPS_COMPLEX) || !(desc->dwFlags & DDSD_BACKBUFFERCOUNT) || desc->dwBackBufferCount < 1 ||
                desc->dwBackBufferCount > MAX_BACK_BUFFERS)
                return DDERR_INVALIDPARAMS;
            if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
            backBuffers = desc->dwBackBufferCount;
        }
        CurrentSize(&width, &height);
    } else {
        if ((caps & ~PLAIN_CAPS) != 0) return DDERR_INVALIDCAPS;
        if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth < 1 ||
            desc->dwHeight < 1)
            return DDERR_INVALIDPARAMS;
        if (desc->dwWidth > MAX_SURFACE_SIDE || desc->dwHeight > MAX_SURFACE_SIDE) return DDERR_TOOBIGSIZE;
        width = int(desc->dwWidth);
        height = int(desc->dwHeight);
        if (desc->dwFlags & DDSD_PIXELFORMAT) {
            format = SdlFormatOf(desc->ddpfPixelFormat);
            if (format == SDL_PIXELFORMAT_UNKNOWN) return DDERR_INVALIDPIXELFORMAT;
        }
    }
    size_t bytes = size_t(width) * size_t(height) * SDL_BYTESPERPIXEL(format);
    // As DirectDraw does: a surface that asks for neither kind of memory goes
    // to video memory while it has room and to system memory after; only one
    // that asks for video memory (or a primary surface) fails when it is full.
    const size_t needed = bytes * (backBuffers + 1);
    const bool room = needed <= VIDEO_MEMORY_BYTES - memoryUsed_;
    const bool mustBeVideo = (caps & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM)) != 0;
    const bool inVideo = !(caps & DDSCAPS_SYSTEMMEMORY) && (room || mustBeVideo);
    if (inVideo && !room) return DDERR_OUTOFVIDEOMEMORY;
    SDL_Surface* pixelSets[MAX_BACK_BUFFERS + 1] = {};
    for (DWORD i = 0; i <= backBuffers; ++i) {
        pixelSets[i] = SDL_CreateRGBSurfaceWithFormat(0, width, height, SDL_BITSPERPIXEL(format), format);
        if (pixelSets[i] == nullptr) {
            for (DWORD j = 0; j < i; ++j) SDL_FreeSurface(pixelSets[j]);
            return DDERR_OUTOFMEMORY;
        }
    }
    if (inVideo) TakeMemory(needed);
    DWORD madeCaps = caps & ~DDSCAPS_WRITEONLY;
    if (inVideo) madeCaps |= DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    else madeCaps = (madeCaps & ~(DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM)) | DDSCAPS_SYSTEMMEMORY;
    const size_t held = inVideo ? bytes : 0;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        madeCaps |= DDSCAPS_VISIBLE;
        if (caps & DDSCAPS_FLIP) madeCaps |= DDSCAPS_FRONTBUFFER;
    }
    DirectDrawSurface* made = nullptr;
    HRESULT result = NoThrowCall([&] {
        made = new DirectDrawSurface(this, pixelSets[0], madeCaps, held);
        for (DWORD i = 1; i <= backBuffers; ++i) {
            DWORD backCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
            if (i == 1) backCaps |= DDSCAPS_BACKBUFFER;
            made->AttachBackBuffer(new DirectDrawSurface(this, pixelSets[i], backCaps, held));
        }
        return DD_OK;
    }, DDERR_OUTOFMEMORY);
    if (FAILED(result)) {
        // What was made is released with the pixels it took; the rest are freed here.
        if (made != nullptr) {
            made->Release();
        } else {
            for (DWORD i = 0; i <= backBuffers; ++i) SDL_FreeSurface(pixelSets[i]);
            if (inVideo) GiveMemory(needed);
        }
        return result;
    }
    if (desc->dwFlags & DDSD_CKSRCBLT) made->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &desc->ddckCKSrcBlt);
    if (desc->dwFlags & DDSD_CKDESTBLT) made->SetColorKey(DDCKEY_DESTBLT | DDCKEY_COLORSPACE, &desc->ddckCKDestBlt);
    if (caps & DDSCAPS_PRIMARYSURFACE) primary_ = made;
    *surface = made;
    return DD_OK;
}

void DirectDrawObject::FillCaps(DDCAPS* caps) const {
    std::memset(caps, 0, sizeof *caps);
    caps->dwSize = sizeof *caps;
    caps->dwCaps = LAYER_CAPS;
    caps->dwCKeyCaps = DDCKEYCAPS_SRCBLT | DDCKEYCAPS_DESTBLT;
    caps->dwFXCaps = LAYER_FX_CAPS;
    caps->dwVidMemTotal = DWORD(VIDEO_MEMORY_BYTES);
    caps->dwVidMemFree = DWORD(VIDEO_MEMORY_BYTES - memoryUsed_);
    caps->ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
                           DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY |
                           DDSCAPS_VIDEOMEMORY | DDSCAPS_VISIBLE | DDSCAPS_LOCALVIDMEM;
    caps->ddsOldCaps.dwCaps = caps->ddsCaps.dwCaps;
    // Blits between system and video memory work the same.
    caps->dwSVBCaps = caps->dwVSBCaps = caps->dwSSBCaps = LAYER_CAPS;
    caps->dwSVBCKeyCaps = caps->dwVSBCKeyCaps = caps->dwSSBCKeyCaps = caps->dwCKeyCaps;
    caps->dwSVBFXCaps = caps->dwVSBFXCaps = caps->dwSSBFXCaps = LAYER_FX_CAPS;
}

HRESULT DirectDrawObject::GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) {
    if (driverCaps == nullptr && emulationCaps == nullptr) return DDERR_INVALIDPARAMS;
    if ((driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) ||
        (emulationCaps && emulationCaps->dwSize != sizeof(DDCAPS)))
        return DDERR_INVALIDPARAMS;
    if (driverCaps) FillCaps(driverCaps);
    if (emulationCaps) FillCaps(emulationCaps);
    return DD_OK;
}

HRESULT DirectDrawObject::GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) {
    if (caps == nullptr || (total == nullptr && free == nullptr)) return DDERR_INVALIDPARAMS;
    if (total) *total = DWORD(VIDEO_MEMORY_BYTES);
    if (free) *free = DWORD(VIDEO_MEMORY_BYTES - memoryUsed_);
    return DD_OK;
}
