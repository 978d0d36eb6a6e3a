#include "display2d/DrawQuadOutline.h"

#include "platform/gdi/wingdi.h"

void DrawQuadOutline(IDirectDrawSurface7* surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                     int32_t y3, int32_t x4, int32_t y4, COLORREF colour) {
    if (surface == nullptr) return;
    HPEN pen = CreatePen(PS_SOLID, 0, colour);
    HDC dc = nullptr;
    if (SUCCEEDED(surface->GetDC(&dc))) {
        SelectObject(dc, pen);
        const int32_t points[5][2] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}, {x1, y1}};
        for (int i = 0; i < 4; ++i) {
            MoveToEx(dc, points[i][0], points[i][1], nullptr);
            LineTo(dc, points[i + 1][0], points[i + 1][1]);
        }
        surface->ReleaseDC(dc);
    }
    DeleteObject(pen);
}
