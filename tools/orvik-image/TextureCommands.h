// The orvik-image commands that load a decoded picture into a Direct3D texture
// through the texture loader's pixel transfer and mip operations.
#pragma once

#include "texload/DecodedImage.h"

// Exit codes beyond those of orvik-image's own commands.
constexpr int TOOL_EXIT_DEVICE = 5;  // no device, or it cannot hold the format

// convert: options are "--format NAME", "--size WxH", "--filter NAME", "--mips".
int ConvertToDds(const DecodedImage& image, const char* outPath, int optionCount, char** options);

// mips: every level of the texture the viewer makes of the file (TextureFromFile
// with its defaults), as PNG files in dir.
int WriteMipLevels(const char* path, const char* dir);

// The format called name ("A8R8G8B8", "DXT1", "V8U8", ...; any case), or D3DFMT_UNKNOWN.
D3DFORMAT PixelFormatByName(const char* name);

// The filter word of a name: none, point, linear, triangle or box, optionally
// followed by "+dither", "+mirror" (U and V), "+mirroru", "+mirrorv".
// False for an unknown name.
bool FilterByName(const char* name, DWORD* filter);
