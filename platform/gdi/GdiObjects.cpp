// The table of live GDI objects, stock objects, pens, brushes and the
// object-level calls: DeleteObject and GetObjectA.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/gdi/GdiObjects.h"

namespace {

std::unordered_map<HGDIOBJ, GdiKind>& Objects() {
    static std::unordered_map<HGDIOBJ, GdiKind> objects;
    return objects;
}

template <typename Record>
Record* FindAs(HGDIOBJ object, GdiKind kind) {
    auto it = Objects().find(object);
    if (it == Objects().end() || it->second != kind) return nullptr;
    return static_cast<Record*>(object);
}

GdiBrush* StockBrush(COLORREF colour, UINT style) {
    auto* brush = new GdiBrush;
    brush->state.stock = true;
    brush->style = style;
    brush->colour = colour;
    GdiRegister(brush, GdiKind::Brush);
    return brush;
}

GdiPen* StockPen(int style, COLORREF colour) {
    auto* pen = new GdiPen;
    pen->state.stock = true;
    pen->style = style;
    pen->colour = colour;
    GdiRegister(pen, GdiKind::Pen);
    return pen;
}

}  // namespace

void GdiRegister(HGDIOBJ object, GdiKind kind) { Objects()[object] = kind; }

GdiBitmap* GdiFindBitmap(HGDIOBJ object) { return FindAs<GdiBitmap>(object, GdiKind::Bitmap); }
GdiPen* GdiFindPen(HGDIOBJ object) { return FindAs<GdiPen>(object, GdiKind::Pen); }
GdiBrush* GdiFindBrush(HGDIOBJ object) { return FindAs<GdiBrush>(object, GdiKind::Brush); }
GdiFont* GdiFindFont(HGDIOBJ object) { return FindAs<GdiFont>(object, GdiKind::Font); }

bool GdiFindKind(HGDIOBJ object, GdiKind* kind) {
    auto it = Objects().find(object);
    if (it == Objects().end()) return false;
    *kind = it->second;
    return true;
}

GdiObjectState* GdiStateOf(HGDIOBJ object) {
    GdiKind kind;
    if (!GdiFindKind(object, &kind)) return nullptr;
    switch (kind) {
    case GdiKind::Bitmap: return &static_cast<GdiBitmap*>(object)->state;
    case GdiKind::Pen: return &static_cast<GdiPen*>(object)->state;
    case GdiKind::Brush: return &static_cast<GdiBrush*>(object)->state;
    case GdiKind::Font: return &static_cast<GdiFont*>(object)->state;
    }
    return nullptr;
}

void GdiDestroy(HGDIOBJ object) {
    GdiKind kind;
    if (!GdiFindKind(object, &kind)) return;
    Objects().erase(object);
    switch (kind) {
    case GdiKind::Bitmap: {
        auto* bitmap = static_cast<GdiBitmap*>(object);
        SDL_FreeSurface(bitmap->pixels);
        delete bitmap;
        break;
    }
    case GdiKind::Pen: delete static_cast<GdiPen*>(object); break;
    case GdiKind::Brush: delete static_cast<GdiBrush*>(object); break;
    case GdiKind::Font: delete static_cast<GdiFont*>(object); break;
    }
}

SDL_Surface* GdiCreatePixels(int width, int height) {
    if (width < 1 || height < 1) return nullptr;
    return SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
}

HGDIOBJ WINAPI GetStockObject(int index) {
    static HGDIOBJ stock[DEFAULT_GUI_FONT + 1] = {};
    if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
    if (stock[index] != nullptr) return stock[index];
    switch (index) {
    case WHITE_BRUSH: stock[index] = StockBrush(RGB(255, 255, 255), BS_SOLID); break;
    case LTGRAY_BRUSH: stock[index] = StockBrush(RGB(192, 192, 192), BS_SOLID); break;
    case GRAY_BRUSH: stock[index] = StockBrush(RGB(128, 128, 128), BS_SOLID); break;
    case DKGRAY_BRUSH: stock[index] = StockBrush(RGB(64, 64, 64), BS_SOLID); break;
    case BLACK_BRUSH: stock[index] = StockBrush(RGB(0, 0, 0), BS_SOLID); break;
    case NULL_BRUSH: stock[index] = StockBrush(0, BS_NULL); break;
    case WHITE_PEN: stock[index] = StockPen(PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN: stock[index] = StockPen(PS_SOLID, RGB(0, 0, 0)); break;
    case NULL_PEN: stock[index] = StockPen(PS_NULL, 0); break;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
        // Both name the one font the layer draws text with.
        auto* font = new GdiFont;
        font->state.stock = true;
        GdiRegister(font, GdiKind::Font);
        stock[SYSTEM_FONT] = stock[DEFAULT_GUI_FONT] = font;
        break;
    }
    default: return nullptr;
    }
    return stock[index];
}

HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
    if (style < PS_SOLID || style > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* pen = new GdiPen;
    pen->style = style;
    // Styled pens are one pixel wide, whatever the width asked.
    pen->width = (style == PS_SOLID || style == PS_INSIDEFRAME) ? std::max(width, 0) : 1;
    pen->colour = colour & 0x00FFFFFF;
    GdiRegister(pen, GdiKind::Pen);
    return pen;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
    auto* brush = new GdiBrush;
    brush->colour = colour & 0x00FFFFFF;
    GdiRegister(brush, GdiKind::Brush);
    return brush;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    GdiObjectState* state = GdiStateOf(object);
    if (state == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (state->stock) return TRUE;
    if (state->selections > 0) {
        // A bitmap in use by a context stays; a pen or brush goes when released.
        if (GdiFindBitmap(object) != nullptr) return FALSE;
        state->deletePending = true;
        return TRUE;
    }
    GdiDestroy(object);
    return TRUE;
}

int WINAPI GetObjectA(HANDLE handle, int size, LPVOID buffer) {
    HGDIOBJ object = static_cast<HGDIOBJ>(handle);
    // Copies at most size bytes of the record, as GDI does; returns how many.
    auto copy = [&](const void* record, int recordSize) {
        if (buffer == nullptr) return recordSize;
        if (size <= 0) return 0;
        int count = std::min(size, recordSize);
        std::memcpy(buffer, record, count);
        return count;
    };
    if (GdiBitmap* bitmap = GdiFindBitmap(object)) {
        BITMAP record = {};
        record.bmWidth = bitmap->pixels ? bitmap->pixels->w : 0;
        record.bmHeight = bitmap->pixels ? bitmap->pixels->h : 0;
        record.bmWidthBytes = record.bmWidth * 4;
        record.bmPlanes = 1;
        record.bmBitsPixel = 32;
        return copy(&record, sizeof record);
    }
    if (GdiPen* pen = GdiFindPen(object)) {
        LOGPEN record = {static_cast<UINT>(pen->style), {pen->width, 0}, pen->colour};
        return copy(&record, sizeof record);
    }
    if (GdiBrush* brush = GdiFindBrush(object)) {
        LOGBRUSH record = {brush->style, brush->colour, 0};
        return copy(&record, sizeof record);
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}
