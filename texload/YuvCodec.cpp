#include "texload/YuvCodec.h"

#include <algorithm>

bool IsYuvFormat(D3DFORMAT format) { return format == D3DFMT_YUY2 || format == D3DFMT_UYVY; }

namespace {

// Byte positions of Y0, U, Y1, V within a pair.
struct PairLayout {
    int y0, u, y1, v;
};

PairLayout LayoutOf(D3DFORMAT format) {
    return format == D3DFMT_YUY2 ? PairLayout{0, 1, 2, 3} : PairLayout{1, 0, 3, 2};
}

BYTE Pack(float value, float offset) {
    float v = value + offset;
    return BYTE(std::clamp(int(v < 0 ? v - 1.0f : v), 0, 255));
}

}  // namespace

void DecodeYuvPair(D3DFORMAT format, const BYTE* pair, float pixels[2][4]) {
    PairLayout at = LayoutOf(format);
    float pb = (float(pair[at.u]) - 128.0f) / 224.0f;
    float pr = (float(pair[at.v]) - 128.0f) / 224.0f;
    int ys[2] = {pair[at.y0], pair[at.y1]};
    for (int i = 0; i < 2; ++i) {
        float y = (float(ys[i]) - 16.0f) / 219.0f;
        pixels[i][0] = std::clamp(y + 1.402f * pr, 0.0f, 1.0f);
        pixels[i][1] = std::clamp(y - 0.344136f * pb - 0.714136f * pr, 0.0f, 1.0f);
        pixels[i][2] = std::clamp(y + 1.772f * pb, 0.0f, 1.0f);
        pixels[i][3] = 1.0f;
    }
}

void EncodeYuvPair(D3DFORMAT format, const float pixels[2][4], unsigned lumaMask, const float offsets[2],
                   BYTE* pair) {
    PairLayout at = LayoutOf(format);
    float pbSum = 0, prSum = 0;
    float chromaOffset = (lumaMask & 1) || !(lumaMask & 2) ? offsets[0] : offsets[1];
    for (int i = 0; i < 2; ++i) {
        float r = std::clamp(pixels[i][0], 0.0f, 1.0f);
        float g = std::clamp(pixels[i][1], 0.0f, 1.0f);
        float b = std::clamp(pixels[i][2], 0.0f, 1.0f);
        float y = 0.299f * r + 0.587f * g + 0.114f * b;
        pbSum += (b - y) / 1.772f;
        prSum += (r - y) / 1.402f;
        if (lumaMask >> i & 1) pair[i == 0 ? at.y0 : at.y1] = Pack(16.0f + 219.0f * y, offsets[i]);
    }
    pair[at.u] = Pack(128.0f + 224.0f * pbSum / 2.0f, chromaOffset);
    pair[at.v] = Pack(128.0f + 224.0f * prSum / 2.0f, chromaOffset);
}
