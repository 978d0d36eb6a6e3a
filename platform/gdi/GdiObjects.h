// The GDI layer's own records behind its handles, and the table of live
// handles that every call checks its arguments against: a stale or foreign
// handle is refused, never followed.
#pragma once

#include <SDL.h>

#include "platform/gdi/wingdi.h"

enum class GdiKind { Bitmap, Pen, Brush, Font };

// What every object shares: whether it is a stock object (never deleted), how
// many device contexts have it selected, and whether DeleteObject came while
// one still had it (it goes once the last one lets it go).
struct GdiObjectState {
    bool stock = false;
    int selections = 0;
    bool deletePending = false;
};

struct GdiBitmap : HBITMAP__ {
    GdiObjectState state;
    SDL_Surface* pixels = nullptr;  // 32-bit XRGB, owned
};

struct GdiPen : HPEN__ {
    GdiObjectState state;
    int style = PS_SOLID;
    int width = 0;
    COLORREF colour = 0;
};

struct GdiBrush : HBRUSH__ {
    GdiObjectState state;
    UINT style = BS_SOLID;
    COLORREF colour = 0;
};

struct GdiFont : HFONT__ {
    GdiObjectState state;
};

struct HDC__ {
    SDL_Surface* surface = nullptr;  // a surface's context: the surface it draws on
    GdiBitmap* bitmap = nullptr;     // a memory context: its selected bitmap
    GdiPen* pen = nullptr;
    GdiBrush* brush = nullptr;
    GdiFont* font = nullptr;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF backgroundColour = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    POINT position = {0, 0};
};

// Adds an object to the table of live handles.
void GdiRegister(HGDIOBJ object, GdiKind kind);

// The live object behind a handle, or null where the handle is not a live
// object of that kind.
GdiBitmap* GdiFindBitmap(HGDIOBJ object);
GdiPen* GdiFindPen(HGDIOBJ object);
GdiBrush* GdiFindBrush(HGDIOBJ object);
GdiFont* GdiFindFont(HGDIOBJ object);
bool GdiFindKind(HGDIOBJ object, GdiKind* kind);
GdiObjectState* GdiStateOf(HGDIOBJ object);

// Frees an object and forgets its handle.
void GdiDestroy(HGDIOBJ object);

// A live device context, or null.
HDC__* GdiFindDC(HDC dc);

// Where a context draws: the surface, or the selected bitmap's pixels.
SDL_Surface* GdiTarget(HDC__* dc);

// Device contexts on a DirectDraw surface's pixels, made by GetDC and ended by
// ReleaseDC. DeleteDC refuses them.
HDC GdiCreateSurfaceDC(SDL_Surface* surface);
bool GdiDeleteSurfaceDC(HDC dc, SDL_Surface* surface);

// A new 32-bit XRGB surface, or null.
SDL_Surface* GdiCreatePixels(int width, int height);
