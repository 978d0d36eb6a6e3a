#include "texload/Palette.h"

void Palette::FillWhite()
{
    for (PaletteEntry& entry : entries) {
        entry = PaletteEntry{255, 255, 255, 255};
    }
}
