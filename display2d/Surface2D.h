// An off-screen picture on the 2D display: a DirectDraw surface with its size,
// filled from bitmap files through GDI and copied to other surfaces.
#pragma once

#include <cstdint>

#include "platform/ddraw/ddraw.h"
#include "platform/gdi/wingdi.h"

class Surface2D {
public:
    IDirectDrawSurface7* surface;  // owned; null while none
    int32_t width;
    int32_t height;

    Surface2D() : surface(nullptr), width(0), height(0) {}
    // Makes the record empty: no surface, size 0 x 0.
    void Init();
    // Gives the surface back and forgets it; the size stays.
    void Release();
    // A new off-screen surface of this size in the display's format. A surface
    // the record still holds is released first.
    void Create(int32_t width, int32_t height);
    // Copies a bitmap file into the existing surface, cut to the record's size.
    void LoadBitmap(const char* fileName);
    // A new surface of the bitmap's size holding the bitmap.
    void CreateFromBitmap(const char* fileName);
    // Copies (and scales) a rectangle from one surface to another.
    void Blit(IDirectDrawSurface7* source, IDirectDrawSurface7* dest, int32_t sourceLeft, int32_t sourceTop,
              int32_t sourceRight, int32_t sourceBottom, int32_t destLeft, int32_t destTop, int32_t destRight,
              int32_t destBottom);
    // Sets colourKey as the record's own source key, then copies leaving out
    // the source surface's key-coloured pixels.
    void BlitKeyed(IDirectDrawSurface7* source, IDirectDrawSurface7* dest, int32_t sourceLeft, int32_t sourceTop,
                   int32_t sourceRight, int32_t sourceBottom, int32_t destLeft, int32_t destTop, int32_t destRight,
                   int32_t destBottom, DWORD colourKey);
    void Fill(HBRUSH brush);
    void WriteText(int32_t x, int32_t y, const char* text);

private:
    void CopyBitmap(const char* fileName, bool sizeToBitmap);
};

// The DirectDraw object Surface2D::Create makes surfaces with; Display2D::Create
// sets it to the display's. Defined in shell/Globals.cpp.
extern IDirectDraw7* surfaceDirectDraw;
