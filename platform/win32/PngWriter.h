// Writes 8-bit RGBA pictures as PNG files through libpng.
#pragma once

// rows lie pitch bytes apart, top row first unless bottomUp.
bool WriteRgbaPng(const char* path, const unsigned char* rgba, int width, int height, int pitch,
                  bool bottomUp = false);
