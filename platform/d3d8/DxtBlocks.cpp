#include "platform/d3d8/DxtBlocks.h"

namespace {

void Unpack565(uint16_t c, int rgb[3]) {
    rgb[0] = ((c >> 11) & 31) * 255 / 31;
    rgb[1] = ((c >> 5) & 63) * 255 / 63;
    rgb[2] = (c & 31) * 255 / 31;
}

// The colour half of a block: two 5:6:5 end points and sixteen 2-bit indices.
// Three-colour mode with transparent black applies only to DXT1.
void DecodeColour(const uint8_t* block, bool allowThreeColour, uint8_t out[16][4]) {
    uint16_t c0 = static_cast<uint16_t>(block[0] | (block[1] << 8));
    uint16_t c1 = static_cast<uint16_t>(block[2] | (block[3] << 8));
    int palette[4][4];
    Unpack565(c0, palette[0]);
    Unpack565(c1, palette[1]);
    palette[0][3] = palette[1][3] = 255;
    if (c0 > c1 || !allowThreeColour) {
        for (int i = 0; i < 3; ++i) {
            palette[2][i] = (2 * palette[0][i] + palette[1][i]) / 3;
            palette[3][i] = (palette[0][i] + 2 * palette[1][i]) / 3;
        }
        palette[2][3] = palette[3][3] = 255;
    } else {
        for (int i = 0; i < 3; ++i) {
            palette[2][i] = (palette[0][i] + palette[1][i]) / 2;
            palette[3][i] = 0;
        }
        palette[2][3] = 255;
        palette[3][3] = 0;
    }
    uint32_t indices = block[4] | (block[5] << 8) | (block[6] << 16) | (static_cast<uint32_t>(block[7]) << 24);
    for (int p = 0; p < 16; ++p) {
        int index = (indices >> (2 * p)) & 3;
        for (int i = 0; i < 4; ++i) out[p][i] = static_cast<uint8_t>(palette[index][i]);
    }
}

void DecodeExplicitAlpha(const uint8_t* block, uint8_t out[16][4]) {
    for (int p = 0; p < 16; ++p) {
        int nibble = (block[p / 2] >> ((p & 1) * 4)) & 15;
        out[p][3] = static_cast<uint8_t>(nibble * 17);
    }
}

void DecodeInterpolatedAlpha(const uint8_t* block, uint8_t out[16][4]) {
    int a0 = block[0], a1 = block[1];
    int alpha[8] = {a0, a1};
    if (a0 > a1) {
        for (int i = 1; i < 7; ++i) alpha[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i < 5; ++i) alpha[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        alpha[6] = 0;
        alpha[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
    for (int p = 0; p < 16; ++p) out[p][3] = static_cast<uint8_t>(alpha[(bits >> (3 * p)) & 7]);
}

}  // namespace

void DecodeDxtLevel(D3DFORMAT format, const uint8_t* blocks, UINT width, UINT height, uint8_t* rgba) {
    bool dxt1 = format == D3DFMT_DXT1;
    UINT blockBytes = dxt1 ? 8 : 16;
    UINT blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
    for (UINT by = 0; by < blocksHigh; ++by) {
        for (UINT bx = 0; bx < blocksWide; ++bx) {
            const uint8_t* block = blocks + (static_cast<size_t>(by) * blocksWide + bx) * blockBytes;
            uint8_t texels[16][4];
            if (dxt1) {
                DecodeColour(block, true, texels);
            } else {
                DecodeColour(block + 8, false, texels);
                if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) DecodeExplicitAlpha(block, texels);
                else DecodeInterpolatedAlpha(block, texels);
            }
            for (UINT py = 0; py < 4; ++py) {
                UINT y = by * 4 + py;
                if (y >= height) break;
                for (UINT px = 0; px < 4; ++px) {
                    UINT x = bx * 4 + px;
                    if (x >= width) break;
                    uint8_t* out = rgba + (static_cast<size_t>(y) * width + x) * 4;
                    for (int i = 0; i < 4; ++i) out[i] = texels[py * 4 + px][i];
                }
            }
        }
    }
}
