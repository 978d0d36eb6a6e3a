#include "display2d/Surface2D.h"

#include <cstring>

void Surface2D::Init() {
    surface = nullptr;
    width = 0;
    height = 0;
}

void Surface2D::Release() {
    if (surface != nullptr) surface->Release();
    // Forgetting the pointer makes a second release or a late use harmless.
    surface = nullptr;
}

void Surface2D::Create(int32_t newWidth, int32_t newHeight) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = static_cast<DWORD>(newHeight);
    desc.dwWidth = static_cast<DWORD>(newWidth);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    width = newWidth;
    height = newHeight;
    Release();
    if (surfaceDirectDraw != nullptr) surfaceDirectDraw->CreateSurface(&desc, &surface, nullptr);
}

void Surface2D::CopyBitmap(const char* fileName, bool sizeToBitmap) {
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(nullptr, fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (memory == nullptr || bitmap == nullptr) {
        // Nothing to copy: the record stays as it was.
        if (bitmap != nullptr) DeleteObject(bitmap);
        if (memory != nullptr) DeleteDC(memory);
        return;
    }
    BITMAP info;
    std::memset(&info, 0, sizeof info);
    GetObjectA(bitmap, sizeof info, &info);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (sizeToBitmap) Create(info.bmWidth, info.bmHeight);
    HDC target = nullptr;
    if (surface != nullptr && SUCCEEDED(surface->GetDC(&target))) {
        BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        surface->ReleaseDC(target);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    if (sizeToBitmap) {
        width = info.bmWidth;
        height = info.bmHeight;
    }
}

void Surface2D::LoadBitmap(const char* fileName) { CopyBitmap(fileName, false); }

void Surface2D::CreateFromBitmap(const char* fileName) { CopyBitmap(fileName, true); }

void Surface2D::Blit(IDirectDrawSurface7* source, IDirectDrawSurface7* dest, int32_t sourceLeft, int32_t sourceTop,
                     int32_t sourceRight, int32_t sourceBottom, int32_t destLeft, int32_t destTop, int32_t destRight,
                     int32_t destBottom) {
    if (source == nullptr || dest == nullptr) return;
    RECT from = {sourceLeft, sourceTop, sourceRight, sourceBottom};
    RECT to = {destLeft, destTop, destRight, destBottom};
    dest->Blt(&to, source, &from, DDBLT_WAIT, nullptr);
}

void Surface2D::BlitKeyed(IDirectDrawSurface7* source, IDirectDrawSurface7* dest, int32_t sourceLeft,
                          int32_t sourceTop, int32_t sourceRight, int32_t sourceBottom, int32_t destLeft,
                          int32_t destTop, int32_t destRight, int32_t destBottom, DWORD colourKey) {
    DDCOLORKEY key = {colourKey, colourKey};
    if (surface != nullptr) surface->SetColorKey(DDCKEY_SRCBLT, &key);
    if (source == nullptr || dest == nullptr) return;
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.ddckSrcColorkey = key;
    RECT from = {sourceLeft, sourceTop, sourceRight, sourceBottom};
    RECT to = {destLeft, destTop, destRight, destBottom};
    dest->Blt(&to, source, &from, DDBLT_WAIT | DDBLT_KEYSRC, &fx);
}

void Surface2D::Fill(HBRUSH brush) {
    HDC dc = nullptr;
    if (surface == nullptr || FAILED(surface->GetDC(&dc))) return;
    RECT whole = {0, 0, width, height};
    FillRect(dc, &whole, brush);
    surface->ReleaseDC(dc);
}

void Surface2D::WriteText(int32_t x, int32_t y, const char* text) {
    HDC dc = nullptr;
    if (surface == nullptr || text == nullptr || FAILED(surface->GetDC(&dc))) return;
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    surface->ReleaseDC(dc);
}
