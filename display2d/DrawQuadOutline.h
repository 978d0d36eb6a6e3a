// The closed outline of a four-sided figure, drawn with a one-pixel pen.
#pragma once

#include <cstdint>

#include "platform/ddraw/ddraw.h"

void DrawQuadOutline(IDirectDrawSurface7* surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                     int32_t y3, int32_t x4, int32_t y4, COLORREF colour);
