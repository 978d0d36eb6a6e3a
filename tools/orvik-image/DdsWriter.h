// Writes the levels of a texture as a DDS file.
#pragma once

#include "platform/d3d8/d3d8.h"

// False with a message on standard error when the format has no DDS form
// here (palettised) or the file cannot be written.
bool WriteDdsFile(const char* path, IDirect3DTexture8* texture);
