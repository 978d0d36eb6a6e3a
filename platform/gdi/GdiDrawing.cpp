// Filling, lines with pens, single pixels and bit-block transfers on the
// surface behind a device context.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/PixelAccess.h"

namespace {

// On and off runs, in pixels, of the styled pens.
struct DashPattern {
    int runs[6];
    int count;
};

const DashPattern* PatternOf(int style) {
    static const DashPattern dash = {{18, 6}, 2};
    static const DashPattern dot = {{3, 3}, 2};
    static const DashPattern dashDot = {{9, 6, 3, 6}, 4};
    static const DashPattern dashDotDot = {{9, 3, 3, 3, 3, 3}, 6};
    switch (style) {
    case PS_DASH: return &dash;
    case PS_DOT: return &dot;
    case PS_DASHDOT: return &dashDot;
    case PS_DASHDOTDOT: return &dashDotDot;
    default: return nullptr;
    }
}

void PutDot(SDL_Surface* target, int x, int y, int size, uint32_t pixel) {
    int from = -(size / 2);
    for (int dy = from; dy < from + size; ++dy)
        for (int dx = from; dx < from + size; ++dx) {
            int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < target->w && py < target->h) WritePixel(target, px, py, pixel);
        }
}

// Cuts the segment p0 -> p1 to the box; t0 and t1 are where the kept part
// starts and ends along it. False when nothing is left.
bool ClipSegment(double x0, double y0, double x1, double y1, double left, double top, double right,
                 double bottom, double* t0, double* t1) {
    double dx = x1 - x0, dy = y1 - y0;
    double p[4] = {-dx, dx, -dy, dy};
    double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    *t0 = 0.0;
    *t1 = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0.0) *t0 = std::max(*t0, t);
        else *t1 = std::min(*t1, t);
        if (*t0 > *t1) return false;
    }
    return true;
}

// Draws from (x0, y0) towards (x1, y1), leaving out the end point as GDI does.
void DrawLine(SDL_Surface* target, const GdiPen& pen, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    if (pen.style == PS_NULL || (x0 == x1 && y0 == y1)) return;
    int size = std::max(pen.width, 1);
    double margin = size;
    double t0, t1;
    if (!ClipSegment(double(x0), double(y0), double(x1), double(y1), -margin, -margin, target->w + margin,
                     target->h + margin, &t0, &t1))
        return;
    bool keepsEnd = t1 < 1.0;
    int64_t sx = std::llround(x0 + t0 * double(x1 - x0)), sy = std::llround(y0 + t0 * double(y1 - y0));
    int64_t ex = std::llround(x0 + t1 * double(x1 - x0)), ey = std::llround(y0 + t1 * double(y1 - y0));
    uint32_t pixel = ColourToPixel(target, pen.colour);
    const DashPattern* pattern = PatternOf(pen.style);
    int run = 0, inRun = 0;
    int64_t dx = std::llabs(ex - sx), dy = -std::llabs(ey - sy);
    int stepX = sx < ex ? 1 : -1, stepY = sy < ey ? 1 : -1;
    int64_t error = dx + dy;
    int64_t x = sx, y = sy;
    for (;;) {
        bool atEnd = (x == ex && y == ey);
        if (atEnd && !keepsEnd) break;
        bool on = pattern == nullptr || run % 2 == 0;
        if (on) PutDot(target, int(x), int(y), size, pixel);
        if (pattern != nullptr && ++inRun == pattern->runs[run]) {
            inRun = 0;
            run = (run + 1) % pattern->count;
        }
        if (atEnd) break;
        int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

struct Rgb {
    uint8_t r, g, b;
};

Rgb ReadRgb(const SDL_Surface* surface, int x, int y) {
    Rgb c;
    SDL_GetRGB(ReadPixel(surface, x, y), surface->format, &c.r, &c.g, &c.b);
    return c;
}

bool RopUsesSource(DWORD rop) { return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT || rop == NOTSRCCOPY; }

uint8_t ApplyRop(DWORD rop, uint8_t s, uint8_t d, uint8_t pattern) {
    switch (rop) {
    case SRCCOPY: return s;
    case SRCPAINT: return s | d;
    case SRCAND: return s & d;
    case SRCINVERT: return s ^ d;
    case NOTSRCCOPY: return uint8_t(~s);
    case DSTINVERT: return uint8_t(~d);
    case PATCOPY: return pattern;
    case BLACKNESS: return 0;
    default: return 255;  // WHITENESS
    }
}

}  // namespace

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    HDC__* context = GdiFindDC(dc);
    GdiBrush* fill = GdiFindBrush(brush);
    if (context == nullptr || rect == nullptr || fill == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SDL_Surface* target = GdiTarget(context);
    if (target == nullptr) return 0;
    if (fill->style == BS_NULL || rect->right <= rect->left || rect->bottom <= rect->top) return 1;
    int64_t left = std::max<int64_t>(rect->left, 0), top = std::max<int64_t>(rect->top, 0);
    int64_t right = std::min<int64_t>(rect->right, target->w), bottom = std::min<int64_t>(rect->bottom, target->h);
    if (right <= left || bottom <= top) return 1;
    SDL_Rect area = {int(left), int(top), int(right - left), int(bottom - top)};
    SDL_FillRect(target, &area, ColourToPixel(target, fill->colour));
    return 1;
}

BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    HDC__* context = GdiFindDC(dc);
    if (context == nullptr) return FALSE;
    if (previous != nullptr) *previous = context->position;
    context->position = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
    HDC__* context = GdiFindDC(dc);
    if (context == nullptr) return FALSE;
    SDL_Surface* target = GdiTarget(context);
    if (target == nullptr) return FALSE;
    DrawLine(target, *context->pen, context->position.x, context->position.y, x, y);
    context->position = POINT{x, y};
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour) {
    HDC__* context = GdiFindDC(dc);
    SDL_Surface* target = context ? GdiTarget(context) : nullptr;
    if (target == nullptr || x < 0 || y < 0 || x >= target->w || y >= target->h) return CLR_INVALID;
    uint32_t pixel = ColourToPixel(target, colour);
    WritePixel(target, x, y, pixel);
    return PixelToColour(target, pixel);
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
    HDC__* context = GdiFindDC(dc);
    SDL_Surface* target = context ? GdiTarget(context) : nullptr;
    if (target == nullptr || x < 0 || y < 0 || x >= target->w || y >= target->h) return CLR_INVALID;
    return PixelToColour(target, ReadPixel(target, x, y));
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    HDC__* to = GdiFindDC(dest);
    if (to == nullptr || width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    switch (rop) {
    case SRCCOPY: case SRCPAINT: case SRCAND: case SRCINVERT: case NOTSRCCOPY:
    case DSTINVERT: case PATCOPY: case BLACKNESS: case WHITENESS: break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
    SDL_Surface* target = GdiTarget(to);
    if (target == nullptr) return FALSE;
    SDL_Surface* pixels = nullptr;
    if (RopUsesSource(rop)) {
        HDC__* from = GdiFindDC(source);
        pixels = from ? GdiTarget(from) : nullptr;
        if (pixels == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    // Keep to the part that lies inside the destination and, where read, the source.
    int64_t left = std::max<int64_t>({int64_t(x), 0}), top = std::max<int64_t>({int64_t(y), 0});
    int64_t right = std::min<int64_t>(int64_t(x) + width, target->w);
    int64_t bottom = std::min<int64_t>(int64_t(y) + height, target->h);
    int64_t shiftX = int64_t(sourceX) - x, shiftY = int64_t(sourceY) - y;
    if (pixels != nullptr) {
        left = std::max(left, -shiftX);
        top = std::max(top, -shiftY);
        right = std::min(right, pixels->w - shiftX);
        bottom = std::min(bottom, pixels->h - shiftY);
    }
    if (right <= left || bottom <= top) return TRUE;
    int w = int(right - left), h = int(bottom - top);
    if (rop == SRCCOPY && pixels != target) {
        SDL_Rect from = {int(left + shiftX), int(top + shiftY), w, h};
        SDL_Rect to = {int(left), int(top), w, h};
        SDL_SetSurfaceBlendMode(pixels, SDL_BLENDMODE_NONE);
        SDL_BlitSurface(pixels, &from, target, &to);
        return TRUE;
    }
    // A copy within one surface reads from a snapshot, so overlapping areas come out right.
    SDL_Surface* snapshot = nullptr;
    if (pixels == target) {
        snapshot = SDL_DuplicateSurface(pixels);
        if (snapshot == nullptr) return FALSE;
        pixels = snapshot;
    }
    uint8_t patternR = 0, patternG = 0, patternB = 0;
    if (rop == PATCOPY) {
        COLORREF c = to->brush->style == BS_NULL ? RGB(0, 0, 0) : to->brush->colour;
        patternR = GetRValue(c), patternG = GetGValue(c), patternB = GetBValue(c);
    }
    for (int row = 0; row < h; ++row) {
        int ty = int(top) + row;
        for (int column = 0; column < w; ++column) {
            int tx = int(left) + column;
            Rgb s = pixels ? ReadRgb(pixels, int(tx + shiftX), int(ty + shiftY)) : Rgb{0, 0, 0};
            Rgb d = ReadRgb(target, tx, ty);
            uint8_t r = ApplyRop(rop, s.r, d.r, patternR);
            uint8_t g = ApplyRop(rop, s.g, d.g, patternG);
            uint8_t b = ApplyRop(rop, s.b, d.b, patternB);
            WritePixel(target, tx, ty, SDL_MapRGB(target->format, r, g, b));
        }
    }
    SDL_FreeSurface(snapshot);
    return TRUE;
}
