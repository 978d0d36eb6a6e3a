// Printable names of the pixel formats ("A8R8G8B8", "DXT1", ...).
#pragma once

#include "texload/ImageFormat.h"

// The format's name without the D3DFMT_ prefix; "UNKNOWN" for codes it does not know.
const char* ImageFormatName(D3DFORMAT format);
