// libFuzzer target: the GDI bitmap reader on arbitrary bytes. Every pixel of a
// decoded picture is read, so a picture larger than its surface is caught by
// the address sanitizer.
#include <cstddef>
#include <cstdint>

#include "platform/gdi/BitmapFile.h"

namespace {

volatile uint32_t sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t error = 0;
    SDL_Surface* picture = DecodeBitmapPixels(data, size, &error);
    if (picture == nullptr) return 0;
    uint32_t sum = 0;
    for (int y = 0; y < picture->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(picture->pixels) + y * picture->pitch);
        for (int x = 0; x < picture->w; ++x) sum += row[x];
    }
    sink = sum;
    SDL_FreeSurface(picture);
    return 0;
}
