// The 256-entry palette of palettised pictures.
#pragma once

#include <cstdint>

// One entry: red, green, blue, then flags, which hold the entry's alpha (255 = opaque).
struct PaletteEntry {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t flags;
};

constexpr int PALETTE_ENTRIES = 256;

struct Palette {
    PaletteEntry entries[PALETTE_ENTRIES];

    // Every entry (255, 255, 255, 255): what entries a file does not define hold.
    void FillWhite();
};
