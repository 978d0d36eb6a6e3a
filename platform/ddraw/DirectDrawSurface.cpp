#include "platform/ddraw/DirectDrawSurface.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/ddraw/DirectDrawClipperObject.h"
#include "platform/ddraw/DirectDrawObject.h"
#include "platform/ddraw/DisplayFormat.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/win32/ComGuard.h"
#include "platform/win32/PlatformWindow.h"

namespace {

std::unordered_set<const DirectDrawSurface*>& LiveSurfaces() {
    static std::unordered_set<const DirectDrawSurface*> live;
    return live;
}

constexpr DWORD KNOWN_BLT_FLAGS = DDBLT_WAIT | DDBLT_DONOTWAIT | DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_KEYSRC |
                                  DDBLT_KEYSRCOVERRIDE | DDBLT_KEYDEST | DDBLT_KEYDESTOVERRIDE;

bool Inside(const RECT& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

KeyRange KeyFrom(const DDCOLORKEY& key) { return KeyRange{true, key.dwColorSpaceLowValue, key.dwColorSpaceHighValue}; }

}  // namespace

DirectDrawSurface::DirectDrawSurface(DirectDrawObject* owner, SDL_Surface* pixels, DWORD caps, size_t bytes)
    : owner_(owner), pixels_(pixels), caps_(caps), bytes_(bytes) {
    owner_->AddRef();
    LiveSurfaces().insert(this);
}

DirectDrawSurface::~DirectDrawSurface() {
    LiveSurfaces().erase(this);
    if (dc_ != nullptr) GdiDeleteSurfaceDC(dc_, pixels_);
    for (DirectDrawSurface* back : backBuffers_) back->Release();
    if (clipper_ != nullptr) clipper_->Release();
    SDL_FreeSurface(pixels_);
    owner_->GiveMemory(bytes_);
    owner_->PrimaryGone(this);
    owner_->Release();
}

DirectDrawSurface* DirectDrawSurface::From(IDirectDrawSurface7* surface) {
    auto* candidate = static_cast<DirectDrawSurface*>(surface);
    return LiveSurfaces().count(candidate) ? candidate : nullptr;
}

void DirectDrawSurface::AttachBackBuffer(DirectDrawSurface* backBuffer) { backBuffers_.push_back(backBuffer); }

HRESULT DirectDrawSurface::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectDrawSurface7);
}

HRESULT DirectDrawSurface::GetCaps(LPDDSCAPS2 caps) {
    if (caps == nullptr) return DDERR_INVALIDPARAMS;
    *caps = DDSCAPS2{};
    caps->dwCaps = caps_;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetPixelFormat(LPDDPIXELFORMAT format) {
    if (format == nullptr || format->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
    DescribeFormat(pixels_->format->format, format);
    return DD_OK;
}

HRESULT DirectDrawSurface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
    if (desc == nullptr || !ValidDescSize(desc->dwSize)) return DDERR_INVALIDPARAMS;
    DWORD size = desc->dwSize;
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = size;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = DWORD(pixels_->w);
    desc->dwHeight = DWORD(pixels_->h);
    desc->lPitch = pixels_->pitch;
    DescribeFormat(pixels_->format->format, &desc->ddpfPixelFormat);
    desc->ddsCaps.dwCaps = caps_;
    if (!backBuffers_.empty()) {
        desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc->dwBackBufferCount = DWORD(backBuffers_.size());
    }
    if (sourceKey_.on) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt = DDCOLORKEY{sourceKey_.low, sourceKey_.high};
    }
    if (destKey_.on) {
        desc->dwFlags |= DDSD_CKDESTBLT;
        desc->ddckCKDestBlt = DDCOLORKEY{destKey_.low, destKey_.high};
    }
    return DD_OK;
}

HRESULT DirectDrawSurface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) {
    if (caps == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
    for (DirectDrawSurface* back : backBuffers_) {
        if ((back->caps_ & caps->dwCaps) == caps->dwCaps) {
            back->AddRef();
            *surface = back;
            return DD_OK;
        }
    }
    return DDERR_NOTFOUND;
}

HRESULT DirectDrawSurface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
    auto* chosen = static_cast<DirectDrawClipperObject*>(clipper);
    if (chosen == nullptr && clipper_ == nullptr) return DDERR_NOCLIPPERATTACHED;
    if (chosen != nullptr) chosen->AddRef();
    if (clipper_ != nullptr) clipper_->Release();
    clipper_ = chosen;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetClipper(LPDIRECTDRAWCLIPPER* clipper) {
    if (clipper == nullptr) return DDERR_INVALIDPARAMS;
    if (clipper_ == nullptr) return DDERR_NOCLIPPERATTACHED;
    clipper_->AddRef();
    *clipper = clipper_;
    return DD_OK;
}

HRESULT DirectDrawSurface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    DWORD kind = flags & ~DDCKEY_COLORSPACE;
    if (kind == DDCKEY_SRCOVERLAY || kind == DDCKEY_DESTOVERLAY) return DDERR_UNSUPPORTED;
    if (kind != DDCKEY_SRCBLT && kind != DDCKEY_DESTBLT) return DDERR_INVALIDPARAMS;
    KeyRange& slot = kind == DDCKEY_SRCBLT ? sourceKey_ : destKey_;
    if (key == nullptr) {
        slot = KeyRange{};
        return DD_OK;
    }
    uint32_t low = FitPixel(pixels_, key->dwColorSpaceLowValue);
    uint32_t high = (flags & DDCKEY_COLORSPACE) ? FitPixel(pixels_, key->dwColorSpaceHighValue) : low;
    if (high < low) return DDERR_INVALIDPARAMS;
    slot = KeyRange{true, low, high};
    return DD_OK;
}

HRESULT DirectDrawSurface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (key == nullptr || (flags != DDCKEY_SRCBLT && flags != DDCKEY_DESTBLT)) return DDERR_INVALIDPARAMS;
    const KeyRange& slot = flags == DDCKEY_SRCBLT ? sourceKey_ : destKey_;
    if (!slot.on) return DDERR_NOCOLORKEY;
    *key = DDCOLORKEY{slot.low, slot.high};
    return DD_OK;
}

HRESULT DirectDrawSurface::GetDC(HDC* dc) {
    if (dc == nullptr) return DDERR_INVALIDPARAMS;
    if (dc_ != nullptr) return DDERR_DCALREADYCREATED;
    if (locked_) return DDERR_SURFACEBUSY;
    dc_ = GdiCreateSurfaceDC(pixels_);
    if (dc_ == nullptr) return DDERR_CANTCREATEDC;
    *dc = dc_;
    return DD_OK;
}

HRESULT DirectDrawSurface::ReleaseDC(HDC dc) {
    if (dc_ == nullptr) return DDERR_NODC;
    if (dc != dc_) return DDERR_INVALIDPARAMS;
    GdiDeleteSurfaceDC(dc_, pixels_);
    dc_ = nullptr;
    Present();
    return DD_OK;
}

HRESULT DirectDrawSurface::Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) {
    if (desc == nullptr || !ValidDescSize(desc->dwSize)) return DDERR_INVALIDPARAMS;
    if (Busy()) return DDERR_SURFACEBUSY;
    RECT area = {0, 0, pixels_->w, pixels_->h};
    if (rect != nullptr) {
        if (Empty(*rect) || !Inside(*rect, pixels_->w, pixels_->h)) return DDERR_INVALIDRECT;
        area = *rect;
    }
    GetSurfaceDesc(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = static_cast<uint8_t*>(pixels_->pixels) + area.top * pixels_->pitch +
                      area.left * pixels_->format->BytesPerPixel;
    locked_ = true;
    return DD_OK;
}

HRESULT DirectDrawSurface::Unlock(LPRECT) {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    Present();
    return DD_OK;
}

HRESULT DirectDrawSurface::Copy(const RECT* destRect, DirectDrawSurface* source, const RECT* sourceRect,
                                const KeyRange& sourceKey, const KeyRange& destKey, bool clip) {
    RECT to = destRect ? *destRect : RECT{0, 0, pixels_->w, pixels_->h};
    RECT from = sourceRect ? *sourceRect : RECT{0, 0, source->pixels_->w, source->pixels_->h};
    if (Empty(to) || Empty(from) || !Inside(from, source->pixels_->w, source->pixels_->h)) return DDERR_INVALIDRECT;
    RECT area;
    if (clip && clipper_ != nullptr) {
        area = Intersect(to, clipper_->ClipArea(pixels_->w, pixels_->h));
        if (Empty(area)) return DD_OK;
    } else {
        if (!Inside(to, pixels_->w, pixels_->h)) return DDERR_INVALIDRECT;
        area = to;
    }
    SDL_Surface* reading = source->pixels_;
    // A copy within one surface reads from a snapshot of it.
    if (source == this) reading = SDL_DuplicateSurface(pixels_);
    if (reading == nullptr) return DDERR_OUTOFMEMORY;
    HRESULT copied = NoThrowCall([&] {
        StretchCopy(reading, from, pixels_, to, area, sourceKey, destKey);
        return DD_OK;
    }, DDERR_OUTOFMEMORY);
    if (reading != source->pixels_) SDL_FreeSurface(reading);
    if (FAILED(copied)) return copied;
    Present();
    return DD_OK;
}

HRESULT DirectDrawSurface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                               LPDDBLTFX fx) {
    if (flags & ~KNOWN_BLT_FLAGS) return DDERR_UNSUPPORTED;
    bool needsFx = flags & (DDBLT_COLORFILL | DDBLT_KEYSRCOVERRIDE | DDBLT_KEYDESTOVERRIDE);
    if (needsFx && (fx == nullptr || !ValidBltFxSize(fx->dwSize))) return DDERR_INVALIDPARAMS;
    if (Busy()) return DDERR_SURFACEBUSY;
    if (flags & DDBLT_COLORFILL) {
        RECT to = destRect ? *destRect : RECT{0, 0, pixels_->w, pixels_->h};
        if (Empty(to)) return DDERR_INVALIDRECT;
        RECT area = to;
        if (clipper_ != nullptr) area = Intersect(to, clipper_->ClipArea(pixels_->w, pixels_->h));
        else if (!Inside(to, pixels_->w, pixels_->h)) return DDERR_INVALIDRECT;
        if (!Empty(area)) FillArea(pixels_, area, fx->dwFillColor);
        Present();
        return DD_OK;
    }
    DirectDrawSurface* from = From(source);
    if (from == nullptr) return DDERR_INVALIDPARAMS;
    if (from->Busy()) return DDERR_SURFACEBUSY;
    KeyRange sourceKey, destKey;
    if (flags & DDBLT_KEYSRCOVERRIDE) sourceKey = KeyFrom(fx->ddckSrcColorkey);
    else if (flags & DDBLT_KEYSRC) sourceKey = from->sourceKey_;
    if (flags & DDBLT_KEYDESTOVERRIDE) destKey = KeyFrom(fx->ddckDestColorkey);
    else if (flags & DDBLT_KEYDEST) destKey = destKey_;
    return Copy(destRect, from, sourceRect, sourceKey, destKey, true);
}

HRESULT DirectDrawSurface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD trans) {
    if (clipper_ != nullptr) return DDERR_BLTFASTCANTCLIP;
    DirectDrawSurface* from = From(source);
    if (from == nullptr || (trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT |
                                      DDBLTFAST_DONOTWAIT)))
        return DDERR_INVALIDPARAMS;
    if (Busy() || from->Busy()) return DDERR_SURFACEBUSY;
    RECT part = sourceRect ? *sourceRect : RECT{0, 0, from->pixels_->w, from->pixels_->h};
    if (x > DWORD(pixels_->w) || y > DWORD(pixels_->h) || Empty(part) ||
        !Inside(part, from->pixels_->w, from->pixels_->h))
        return DDERR_INVALIDRECT;
    RECT to = {LONG(x), LONG(y), LONG(x) + (part.right - part.left), LONG(y) + (part.bottom - part.top)};
    KeyRange sourceKey = (trans & DDBLTFAST_SRCCOLORKEY) ? from->sourceKey_ : KeyRange{};
    KeyRange destKey = (trans & DDBLTFAST_DESTCOLORKEY) ? destKey_ : KeyRange{};
    return Copy(&to, from, &part, sourceKey, destKey, false);
}

HRESULT DirectDrawSurface::Flip(LPDIRECTDRAWSURFACE7 target, DWORD) {
    if (!IsFront() || backBuffers_.empty()) return DDERR_NOTFLIPPABLE;
    if (!owner_->Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    if (Busy()) return DDERR_SURFACEBUSY;
    for (DirectDrawSurface* back : backBuffers_)
        if (back->Busy()) return DDERR_SURFACEBUSY;
    if (target != nullptr) {
        // Flipping to one chosen back buffer swaps the two.
        auto chosen = std::find(backBuffers_.begin(), backBuffers_.end(), From(target));
        if (chosen == backBuffers_.end()) return DDERR_INVALIDPARAMS;
        std::swap(pixels_, (*chosen)->pixels_);
    } else {
        // The first back buffer comes to the front; the old front goes to the end of the chain.
        SDL_Surface* shown = pixels_;
        pixels_ = backBuffers_.front()->pixels_;
        for (size_t i = 0; i + 1 < backBuffers_.size(); ++i) backBuffers_[i]->pixels_ = backBuffers_[i + 1]->pixels_;
        backBuffers_.back()->pixels_ = shown;
    }
    Present();
    HWND window = owner_->Window();
    if (PlatformFramePresented(window)) {
        SDL_Surface* rgba = SDL_ConvertSurfaceFormat(pixels_, SDL_PIXELFORMAT_RGBA32, 0);
        if (rgba != nullptr) {
            PlatformSaveCapture(static_cast<const unsigned char*>(rgba->pixels), rgba->w, rgba->h, rgba->pitch, false);
            SDL_FreeSurface(rgba);
        }
    }
    return DD_OK;
}

void DirectDrawSurface::Present() {
    if (!IsFront() || !owner_->Exclusive()) return;
    SDL_Window* window = PlatformWindowSdl(owner_->Window());
    if (window == nullptr) return;
    SDL_Surface* screen = SDL_GetWindowSurface(window);
    if (screen == nullptr) return;
    SDL_SetSurfaceBlendMode(pixels_, SDL_BLENDMODE_NONE);
    if (screen->w == pixels_->w && screen->h == pixels_->h) {
        SDL_BlitSurface(pixels_, nullptr, screen, nullptr);
    } else {
        // Scaled to fit, keeping its shape, on black.
        SDL_Rect fit = {0, 0, screen->w, screen->h};
        if (int64_t(screen->w) * pixels_->h > int64_t(screen->h) * pixels_->w)
            fit.w = int(int64_t(screen->h) * pixels_->w / pixels_->h);
        else
            fit.h = int(int64_t(screen->w) * pixels_->h / pixels_->w);
        fit.x = (screen->w - fit.w) / 2;
        fit.y = (screen->h - fit.h) / 2;
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
        SDL_BlitScaled(pixels_, nullptr, screen, &fit);
    }
    SDL_UpdateWindowSurface(window);
}
