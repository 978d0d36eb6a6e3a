// Device contexts: memory contexts with a selected bitmap, contexts on
// DirectDraw surfaces, and the selection of pens, brushes and fonts.
#include <unordered_set>

#include "platform/gdi/GdiObjects.h"

namespace {

std::unordered_set<HDC>& Contexts() {
    static std::unordered_set<HDC> contexts;
    return contexts;
}

// The 1 x 1 bitmap every new memory context starts with.
GdiBitmap* DefaultBitmap() {
    static GdiBitmap* bitmap = nullptr;
    if (bitmap == nullptr) {
        bitmap = new GdiBitmap;
        bitmap->state.stock = true;
        bitmap->pixels = GdiCreatePixels(1, 1);
        GdiRegister(bitmap, GdiKind::Bitmap);
    }
    return bitmap;
}

void Hold(GdiObjectState& state) { ++state.selections; }

void Let(HGDIOBJ object, GdiObjectState& state) {
    if (--state.selections == 0 && state.deletePending) GdiDestroy(object);
}

HDC NewContext(SDL_Surface* surface, GdiBitmap* bitmap) {
    auto* dc = new HDC__;
    dc->surface = surface;
    dc->bitmap = bitmap;
    if (bitmap) Hold(bitmap->state);
    dc->pen = GdiFindPen(GetStockObject(BLACK_PEN));
    dc->brush = GdiFindBrush(GetStockObject(WHITE_BRUSH));
    dc->font = GdiFindFont(GetStockObject(SYSTEM_FONT));
    Hold(dc->pen->state);
    Hold(dc->brush->state);
    Hold(dc->font->state);
    Contexts().insert(dc);
    return dc;
}

void EndContext(HDC dc) {
    Contexts().erase(dc);
    if (dc->bitmap) Let(dc->bitmap, dc->bitmap->state);
    Let(dc->pen, dc->pen->state);
    Let(dc->brush, dc->brush->state);
    Let(dc->font, dc->font->state);
    delete dc;
}

template <typename Record>
HGDIOBJ Swap(Record*& slot, Record* chosen) {
    Record* previous = slot;
    Hold(chosen->state);
    slot = chosen;
    Let(previous, previous->state);
    return previous;
}

}  // namespace

HDC__* GdiFindDC(HDC dc) { return Contexts().count(dc) ? dc : nullptr; }

SDL_Surface* GdiTarget(HDC__* dc) {
    if (dc->surface) return dc->surface;
    return dc->bitmap ? dc->bitmap->pixels : nullptr;
}

HDC GdiCreateSurfaceDC(SDL_Surface* surface) { return surface ? NewContext(surface, nullptr) : nullptr; }

bool GdiDeleteSurfaceDC(HDC dc, SDL_Surface* surface) {
    if (GdiFindDC(dc) == nullptr || dc->surface == nullptr || dc->surface != surface) return false;
    EndContext(dc);
    return true;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    if (dc != nullptr && GdiFindDC(dc) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewContext(nullptr, DefaultBitmap());
}

BOOL WINAPI DeleteDC(HDC dc) {
    // A surface's context belongs to the surface: ReleaseDC ends it.
    if (GdiFindDC(dc) == nullptr || dc->surface != nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    EndContext(dc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    HDC__* context = GdiFindDC(dc);
    GdiKind kind;
    if (context == nullptr || !GdiFindKind(object, &kind)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    switch (kind) {
    case GdiKind::Bitmap: {
        auto* bitmap = static_cast<GdiBitmap*>(object);
        if (context->bitmap == nullptr) return nullptr;  // only memory contexts hold bitmaps
        if (bitmap == context->bitmap) return object;
        // A bitmap can be in one context at a time.
        if (bitmap->state.selections > 0 && !bitmap->state.stock) return nullptr;
        return Swap(context->bitmap, bitmap);
    }
    case GdiKind::Pen: return Swap(context->pen, static_cast<GdiPen*>(object));
    case GdiKind::Brush: return Swap(context->brush, static_cast<GdiBrush*>(object));
    case GdiKind::Font: return Swap(context->font, static_cast<GdiFont*>(object));
    }
    return nullptr;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
    HDC__* context = GdiFindDC(dc);
    if (context == nullptr) return CLR_INVALID;
    COLORREF previous = context->textColour;
    context->textColour = colour & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
    HDC__* context = GdiFindDC(dc);
    if (context == nullptr) return CLR_INVALID;
    COLORREF previous = context->backgroundColour;
    context->backgroundColour = colour & 0x00FFFFFF;
    return previous;
}

int WINAPI SetBkMode(HDC dc, int mode) {
    HDC__* context = GdiFindDC(dc);
    if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = context->backgroundMode;
    context->backgroundMode = mode;
    return previous;
}
