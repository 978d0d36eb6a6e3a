// Sets every pixel of a surface to the value 0.
#pragma once

#include "platform/ddraw/ddraw.h"

void ClearSurface(IDirectDrawSurface7* surface);
