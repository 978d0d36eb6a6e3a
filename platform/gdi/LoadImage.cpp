// LoadImageA for bitmap files: the picture becomes a GDI bitmap, at its own
// size or stretched to the size asked.
#include "platform/gdi/BitmapFile.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/WindowsPath.h"

HANDLE WINAPI LoadImageA(HINSTANCE, LPCSTR name, UINT type, int width, int height, UINT flags) {
    // Only files: this layer has no resources in its programs.
    if (type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || name == nullptr || width < 0 || height < 0) {
        SetLastError(type != IMAGE_BITMAP ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    uint32_t error = ERROR_SUCCESS;
    SDL_Surface* pixels = ReadBitmapPixels(NativePathOf(name).c_str(), &error);
    if (pixels == nullptr) {
        SetLastError(error);
        return nullptr;
    }
    int wantW = width > 0 ? width : pixels->w;
    int wantH = height > 0 ? height : pixels->h;
    if (wantW != pixels->w || wantH != pixels->h) {
        SDL_Surface* sized = GdiCreatePixels(wantW, wantH);
        if (sized == nullptr) {
            SDL_FreeSurface(pixels);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        SDL_SetSurfaceBlendMode(pixels, SDL_BLENDMODE_NONE);
        SDL_BlitScaled(pixels, nullptr, sized, nullptr);
        SDL_FreeSurface(pixels);
        pixels = sized;
    }
    auto* bitmap = new GdiBitmap;
    bitmap->pixels = pixels;
    GdiRegister(bitmap, GdiKind::Bitmap);
    return static_cast<HBITMAP>(bitmap);
}
