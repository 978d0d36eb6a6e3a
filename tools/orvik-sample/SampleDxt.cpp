#include "tools/orvik-sample/SampleDxt.h"

#include "texload/DxtCodec.h"

void SampleDxt1Block(const uint8_t rgba[16 * 4], uint8_t block[8]) {
    float pixels[16][4];
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 4; ++c) pixels[i][c] = rgba[i * 4 + c] / 255.0f;
    EncodeDxtBlock(D3DFMT_DXT1, pixels, 0xFFFF, block);
}
