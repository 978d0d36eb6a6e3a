#include "texload/DxtCodec.h"

#include <algorithm>
#include <cmath>

bool IsDxtFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

UINT DxtBlockBytes(D3DFORMAT format) { return format == D3DFMT_DXT1 ? 8 : 16; }

namespace {

struct Rgb {
    float r, g, b;
};

Rgb Unpack565(uint16_t c) {
    return {float((c >> 11) & 31) / 31.0f, float((c >> 5) & 63) / 63.0f, float(c & 31) / 31.0f};
}

uint16_t Pack565(const Rgb& c) {
    auto q = [](float v, int max) { return int(std::clamp(v, 0.0f, 1.0f) * float(max) + 0.5f); };
    return uint16_t(q(c.r, 31) << 11 | q(c.g, 63) << 5 | q(c.b, 31));
}

Rgb Mix(const Rgb& a, const Rgb& b, float wa) {
    float wb = 1.0f - wa;
    return {a.r * wa + b.r * wb, a.g * wa + b.g * wb, a.b * wa + b.b * wb};
}

float Distance2(const Rgb& a, const Rgb& b) {
    float dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

uint16_t ReadLe16(const BYTE* p) { return uint16_t(p[0] | p[1] << 8); }

uint32_t ReadLe32(const BYTE* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void WriteLe16(BYTE* p, uint16_t v) {
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
}

void WriteLe32(BYTE* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = BYTE(v >> (8 * i));
}

// The four colours of a colour block; the fourth is transparent black in the
// three-colour mode of DXT1.
void ColourPalette(uint16_t c0, uint16_t c1, bool threeColour, Rgb palette[4]) {
    palette[0] = Unpack565(c0);
    palette[1] = Unpack565(c1);
    if (threeColour) {
        palette[2] = Mix(palette[0], palette[1], 0.5f);
        palette[3] = {0, 0, 0};
    } else {
        palette[2] = Mix(palette[0], palette[1], 2.0f / 3.0f);
        palette[3] = Mix(palette[0], palette[1], 1.0f / 3.0f);
    }
}

void DecodeColourBlock(const BYTE* block, bool alwaysFourColour, float pixels[16][4]) {
    uint16_t c0 = ReadLe16(block), c1 = ReadLe16(block + 2);
    bool threeColour = !alwaysFourColour && c0 <= c1;
    Rgb palette[4];
    ColourPalette(c0, c1, threeColour, palette);
    uint32_t indices = ReadLe32(block + 4);
    for (int i = 0; i < 16; ++i) {
        int index = (indices >> (2 * i)) & 3;
        pixels[i][0] = palette[index].r;
        pixels[i][1] = palette[index].g;
        pixels[i][2] = palette[index].b;
        pixels[i][3] = (threeColour && index == 3) ? 0.0f : 1.0f;
    }
}

// The eight alpha values of an interpolated alpha block.
void AlphaPalette(int a0, int a1, float palette[8]) {
    palette[0] = float(a0) / 255.0f;
    palette[1] = float(a1) / 255.0f;
    if (a0 > a1) {
        for (int k = 2; k < 8; ++k) palette[k] = float((8 - k) * a0 + (k - 1) * a1) / (7.0f * 255.0f);
    } else {
        for (int k = 2; k < 6; ++k) palette[k] = float((6 - k) * a0 + (k - 1) * a1) / (5.0f * 255.0f);
        palette[6] = 0.0f;
        palette[7] = 1.0f;
    }
}

uint64_t ReadLe48(const BYTE* p) {
    uint64_t v = 0;
    for (int i = 0; i < 6; ++i) v |= uint64_t(p[i]) << (8 * i);
    return v;
}

// Chooses the colour block for the points given: end colours along the points'
// principal axis, refined by least squares on the chosen indices.
class ColourFit {
public:
    ColourFit(const Rgb* points, int count, bool threeColour)
        : points_(points), count_(count), threeColour_(threeColour) {}

    // Fits and returns the squared error; c0, c1 and the indices of the points.
    float Fit(uint16_t& c0, uint16_t& c1, int* indices) {
        Rgb e0, e1;
        float axis[3];
        PrincipalEnds(e0, e1, axis);
        float bestError = INFINITY;
        Refine(e0, e1, bestError, c0, c1, indices);
        if (ClusterEnds(axis, e0, e1)) Refine(e0, e1, bestError, c0, c1, indices);
        Nudge(bestError, c0, c1, indices);
        return bestError;
    }

private:
    // Quantises the ends, assigns indices and refits the ends by least
    // squares while that lowers the error; keeps the best found.
    void Refine(Rgb e0, Rgb e1, float& bestError, uint16_t& c0, uint16_t& c1, int* indices) const {
        int tryIndices[16];
        for (int pass = 0; pass < 4; ++pass) {
            uint16_t q0 = Pack565(e0), q1 = Pack565(e1);
            float error = Assign(q0, q1, tryIndices);
            if (error < bestError) {
                bestError = error;
                c0 = q0;
                c1 = q1;
                std::copy(tryIndices, tryIndices + count_, indices);
            } else if (pass > 0) {
                break;
            }
            if (!LeastSquares(tryIndices, e0, e1)) break;
        }
    }

    // Steps each 5- or 6-bit field of the quantised ends by one while that
    // lowers the error: rounding each end on its own is not always best.
    void Nudge(float& bestError, uint16_t& c0, uint16_t& c1, int* indices) const {
        static const int shifts[3] = {11, 5, 0};
        static const int maxima[3] = {31, 63, 31};
        int tryIndices[16];
        for (int round = 0; round < 2; ++round) {
            bool improved = false;
            for (int end = 0; end < 2; ++end) {
                for (int field = 0; field < 3; ++field) {
                    for (int step : {-1, 1}) {
                        uint16_t& c = end == 0 ? c0 : c1;
                        int value = (c >> shifts[field]) & maxima[field];
                        if (value + step < 0 || value + step > maxima[field]) continue;
                        uint16_t moved = uint16_t((c & ~(maxima[field] << shifts[field])) | (value + step) << shifts[field]);
                        uint16_t q0 = end == 0 ? moved : c0, q1 = end == 0 ? c1 : moved;
                        float error = Assign(q0, q1, tryIndices);
                        if (error < bestError) {
                            bestError = error;
                            c0 = q0;
                            c1 = q1;
                            std::copy(tryIndices, tryIndices + count_, indices);
                            improved = true;
                        }
                    }
                }
            }
            if (!improved) break;
        }
    }

    // Orders the points along the axis and tries every split of that order
    // into consecutive runs, one run per palette colour; the ends of the best
    // split (by least squares, before quantisation) are returned.
    bool ClusterEnds(const float axis[3], Rgb& e0, Rgb& e1) const {
        int order[16];
        float key[16];
        for (int i = 0; i < count_; ++i) {
            order[i] = i;
            key[i] = points_[i].r * axis[0] + points_[i].g * axis[1] + points_[i].b * axis[2];
        }
        std::sort(order, order + count_, [&](int a, int b) { return key[a] < key[b]; });
        Rgb prefix[17];
        prefix[0] = {0, 0, 0};
        for (int i = 0; i < count_; ++i) {
            const Rgb& p = points_[order[i]];
            prefix[i + 1] = {prefix[i].r + p.r, prefix[i].g + p.g, prefix[i].b + p.b};
        }
        auto run = [&](int from, int to) {
            return Rgb{prefix[to].r - prefix[from].r, prefix[to].g - prefix[from].g, prefix[to].b - prefix[from].b};
        };
        float bestScore = INFINITY;
        bool found = false;
        // Weight of the first end in each run, in palette order along the axis.
        const float four[4] = {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f};
        const float three[4] = {0.0f, 0.5f, 1.0f, 1.0f};
        const float* w = threeColour_ ? three : four;
        const int n = count_, runs = threeColour_ ? 3 : 4;
        for (int a = 0; a <= n; ++a) {
            for (int b = a; b <= n; ++b) {
                for (int c = threeColour_ ? n : b; c <= n; ++c) {
                    const int bounds[5] = {0, a, b, threeColour_ ? n : c, n};
                    float aa = 0, bb = 0, ab = 0;
                    Rgb x{0, 0, 0}, y{0, 0, 0};
                    for (int g = 0; g < runs; ++g) {
                        int count = bounds[g + 1] - bounds[g];
                        if (count == 0) continue;
                        float wa = w[g], wb = 1.0f - wa;
                        aa += float(count) * wa * wa;
                        bb += float(count) * wb * wb;
                        ab += float(count) * wa * wb;
                        Rgb sum = run(bounds[g], bounds[g + 1]);
                        x = {x.r + wa * sum.r, x.g + wa * sum.g, x.b + wa * sum.b};
                        y = {y.r + wb * sum.r, y.g + wb * sum.g, y.b + wb * sum.b};
                    }
                    float det = aa * bb - ab * ab;
                    if (std::fabs(det) < 1e-8f) continue;
                    float inv = 1.0f / det;
                    auto endA = [&](float xv, float yv) { return std::clamp((bb * xv - ab * yv) * inv, 0.0f, 1.0f); };
                    auto endB = [&](float xv, float yv) { return std::clamp((aa * yv - ab * xv) * inv, 0.0f, 1.0f); };
                    Rgb ea{endA(x.r, y.r), endA(x.g, y.g), endA(x.b, y.b)};
                    Rgb eb{endB(x.r, y.r), endB(x.g, y.g), endB(x.b, y.b)};
                    // Squared error less the constant sum of squared points.
                    float score = (ea.r * ea.r + ea.g * ea.g + ea.b * ea.b) * aa +
                                  (eb.r * eb.r + eb.g * eb.g + eb.b * eb.b) * bb +
                                  2 * (ea.r * eb.r + ea.g * eb.g + ea.b * eb.b) * ab -
                                  2 * (ea.r * x.r + ea.g * x.g + ea.b * x.b) - 2 * (eb.r * y.r + eb.g * y.g + eb.b * y.b);
                    if (score < bestScore) {
                        bestScore = score;
                        e0 = ea;
                        e1 = eb;
                        found = true;
                    }
                }
            }
        }
        return found;
    }

    void PrincipalEnds(Rgb& e0, Rgb& e1, float axis[3]) const {
        Rgb mean{0, 0, 0};
        for (int i = 0; i < count_; ++i) {
            mean.r += points_[i].r;
            mean.g += points_[i].g;
            mean.b += points_[i].b;
        }
        mean = {mean.r / float(count_), mean.g / float(count_), mean.b / float(count_)};
        float cov[6] = {0, 0, 0, 0, 0, 0};  // rr rg rb gg gb bb
        for (int i = 0; i < count_; ++i) {
            float r = points_[i].r - mean.r, g = points_[i].g - mean.g, b = points_[i].b - mean.b;
            cov[0] += r * r;
            cov[1] += r * g;
            cov[2] += r * b;
            cov[3] += g * g;
            cov[4] += g * b;
            cov[5] += b * b;
        }
        // Power iteration from the channel with the largest spread.
        axis[0] = axis[1] = axis[2] = 0;
        int largest = cov[0] >= cov[3] ? (cov[0] >= cov[5] ? 0 : 2) : (cov[3] >= cov[5] ? 1 : 2);
        axis[largest] = 1.0f;
        for (int it = 0; it < 8; ++it) {
            float x = cov[0] * axis[0] + cov[1] * axis[1] + cov[2] * axis[2];
            float y = cov[1] * axis[0] + cov[3] * axis[1] + cov[4] * axis[2];
            float z = cov[2] * axis[0] + cov[4] * axis[1] + cov[5] * axis[2];
            float length = std::sqrt(x * x + y * y + z * z);
            if (length < 1e-12f) break;
            axis[0] = x / length;
            axis[1] = y / length;
            axis[2] = z / length;
        }
        float low = 0, high = 0;
        for (int i = 0; i < count_; ++i) {
            float t = (points_[i].r - mean.r) * axis[0] + (points_[i].g - mean.g) * axis[1] +
                      (points_[i].b - mean.b) * axis[2];
            low = std::min(low, t);
            high = std::max(high, t);
        }
        e0 = {mean.r + axis[0] * high, mean.g + axis[1] * high, mean.b + axis[2] * high};
        e1 = {mean.r + axis[0] * low, mean.g + axis[1] * low, mean.b + axis[2] * low};
    }

    // Nearest palette colour for each point; the fourth colour of the
    // three-colour mode is transparent and never chosen here.
    float Assign(uint16_t c0, uint16_t c1, int* indices) const {
        Rgb palette[4];
        ColourPalette(c0, c1, threeColour_, palette);
        int choices = threeColour_ ? 3 : 4;
        float error = 0;
        for (int i = 0; i < count_; ++i) {
            int best = 0;
            float bestDistance = Distance2(points_[i], palette[0]);
            for (int k = 1; k < choices; ++k) {
                float d = Distance2(points_[i], palette[k]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            }
            indices[i] = best;
            error += bestDistance;
        }
        return error;
    }

    // End colours minimising the squared error for fixed indices.
    bool LeastSquares(const int* indices, Rgb& e0, Rgb& e1) const {
        static const float fourWeights[4] = {1.0f, 0.0f, 2.0f / 3.0f, 1.0f / 3.0f};
        static const float threeWeights[4] = {1.0f, 0.0f, 0.5f, 0.0f};
        const float* weights = threeColour_ ? threeWeights : fourWeights;
        float aa = 0, ab = 0, bb = 0;
        Rgb ap{0, 0, 0}, bp{0, 0, 0};
        for (int i = 0; i < count_; ++i) {
            float a = weights[indices[i]], b = 1.0f - a;
            aa += a * a;
            ab += a * b;
            bb += b * b;
            ap = {ap.r + a * points_[i].r, ap.g + a * points_[i].g, ap.b + a * points_[i].b};
            bp = {bp.r + b * points_[i].r, bp.g + b * points_[i].g, bp.b + b * points_[i].b};
        }
        float det = aa * bb - ab * ab;
        if (std::fabs(det) < 1e-8f) return false;
        float inv = 1.0f / det;
        auto solve0 = [&](float x, float y) { return std::clamp((bb * x - ab * y) * inv, 0.0f, 1.0f); };
        auto solve1 = [&](float x, float y) { return std::clamp((aa * y - ab * x) * inv, 0.0f, 1.0f); };
        e0 = {solve0(ap.r, bp.r), solve0(ap.g, bp.g), solve0(ap.b, bp.b)};
        e1 = {solve1(ap.r, bp.r), solve1(ap.g, bp.g), solve1(ap.b, bp.b)};
        return true;
    }

    const Rgb* points_;
    int count_;
    bool threeColour_;
};

// Writes a colour block fitted to the pixels in `opaque`. Pixels in
// `transparent` get the transparent code (three-colour mode); the others are
// outside the picture and get index 0.
void EncodeColourBlock(const float pixels[16][4], uint16_t opaque, uint16_t transparent, bool allowThreeColour,
                       bool premultiply, BYTE* block) {
    Rgb points[16];
    int pointPixel[16];
    int count = 0;
    for (int i = 0; i < 16; ++i) {
        if (!(opaque >> i & 1)) continue;
        float scale = premultiply ? std::clamp(pixels[i][3], 0.0f, 1.0f) : 1.0f;
        points[count] = {std::clamp(pixels[i][0], 0.0f, 1.0f) * scale, std::clamp(pixels[i][1], 0.0f, 1.0f) * scale,
                         std::clamp(pixels[i][2], 0.0f, 1.0f) * scale};
        pointPixel[count++] = i;
    }
    bool hasTransparent = allowThreeColour && transparent != 0;
    uint16_t c0 = 0, c1 = 0;
    uint32_t indexBits = 0;
    if (count == 0) {
        // c0 == c1 selects three-colour mode: the transparent pixels get code 3.
        for (int i = 0; i < 16; ++i) {
            if (hasTransparent && (transparent >> i & 1)) indexBits |= 3u << (2 * i);
        }
    } else {
        int indices[16];
        bool threeColour = hasTransparent;
        ColourFit fit(points, count, threeColour);
        float error = fit.Fit(c0, c1, indices);
        if (allowThreeColour && !hasTransparent) {
            // An opaque DXT1 block may still do better with the middle colour.
            uint16_t t0, t1;
            int threeIndices[16];
            ColourFit three(points, count, true);
            if (three.Fit(t0, t1, threeIndices) < error) {
                threeColour = true;
                c0 = t0;
                c1 = t1;
                std::copy(threeIndices, threeIndices + count, indices);
            }
        }
        int full[16] = {};
        for (int i = 0; i < 16; ++i) full[i] = (hasTransparent && (transparent >> i & 1)) ? 3 : 0;
        for (int k = 0; k < count; ++k) full[pointPixel[k]] = indices[k];
        // Order the ends to select the mode: c0 > c1 four colours, else three.
        if (c0 == c1) {
            for (int k = 0; k < count; ++k) full[pointPixel[k]] = 0;
        } else if (threeColour ? c0 > c1 : c0 < c1) {
            std::swap(c0, c1);
            static const int swapped[4] = {1, 0, 2, 3};
            static const int swappedFour[4] = {1, 0, 3, 2};
            for (int k = 0; k < count; ++k) {
                int& index = full[pointPixel[k]];
                index = threeColour ? swapped[index] : swappedFour[index];
            }
        }
        for (int i = 0; i < 16; ++i) indexBits |= uint32_t(full[i]) << (2 * i);
    }
    WriteLe16(block, c0);
    WriteLe16(block + 2, c1);
    WriteLe32(block + 4, indexBits);
}

float AlphaError(const float* values, int count, int a0, int a1, uint64_t* indexBits, const int* pixelOf) {
    float palette[8];
    AlphaPalette(a0, a1, palette);
    float error = 0;
    uint64_t bits = 0;
    for (int k = 0; k < count; ++k) {
        int best = 0;
        float bestDistance = INFINITY;
        for (int j = 0; j < 8; ++j) {
            float d = (values[k] - palette[j]) * (values[k] - palette[j]);
            if (d < bestDistance) {
                bestDistance = d;
                best = j;
            }
        }
        error += bestDistance;
        bits |= uint64_t(best) << (3 * pixelOf[k]);
    }
    *indexBits = bits;
    return error;
}

void EncodeInterpolatedAlpha(const float pixels[16][4], uint16_t validMask, BYTE* block) {
    float values[16];
    int pixelOf[16];
    int count = 0;
    for (int i = 0; i < 16; ++i) {
        if (validMask >> i & 1) {
            values[count] = std::clamp(pixels[i][3], 0.0f, 1.0f);
            pixelOf[count++] = i;
        }
    }
    int low = 255, high = 0, innerLow = 255, innerHigh = 0;
    for (int k = 0; k < count; ++k) {
        int q = int(values[k] * 255.0f + 0.5f);
        low = std::min(low, q);
        high = std::max(high, q);
        if (q != 0 && q != 255) {
            innerLow = std::min(innerLow, q);
            innerHigh = std::max(innerHigh, q);
        }
    }
    if (count == 0) low = high = 255;
    int a0, a1;
    uint64_t bits = 0;
    if (low == high) {
        a0 = a1 = low;  // six-value mode, every pixel index 0
    } else {
        a0 = high;
        a1 = low;
        float error = AlphaError(values, count, a0, a1, &bits, pixelOf);
        // Six-value mode: 0 and 1 are exact codes, the others span the inner range.
        if (innerLow > innerHigh) innerLow = innerHigh = 0;
        uint64_t sixBits;
        if (AlphaError(values, count, innerLow, innerHigh, &sixBits, pixelOf) < error) {
            a0 = innerLow;
            a1 = innerHigh;
            bits = sixBits;
        }
    }
    block[0] = BYTE(a0);
    block[1] = BYTE(a1);
    for (int i = 0; i < 6; ++i) block[2 + i] = BYTE(bits >> (8 * i));
}

}  // namespace

namespace {

// The alpha that the first 8 bytes of a DXT2 to DXT5 block store for each pixel.
void StoredAlpha(D3DFORMAT format, const BYTE* block, float alpha[16]) {
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        for (int i = 0; i < 16; ++i) alpha[i] = float((block[i / 2] >> (4 * (i & 1))) & 15) / 15.0f;
        return;
    }
    float palette[8];
    AlphaPalette(block[0], block[1], palette);
    uint64_t bits = ReadLe48(block + 2);
    for (int i = 0; i < 16; ++i) alpha[i] = palette[(bits >> (3 * i)) & 7];
}

}  // namespace

void DecodeDxtBlock(D3DFORMAT format, const BYTE* block, float pixels[16][4]) {
    if (format == D3DFMT_DXT1) {
        DecodeColourBlock(block, false, pixels);
        return;
    }
    DecodeColourBlock(block + 8, true, pixels);
    float alpha[16];
    StoredAlpha(format, block, alpha);
    for (int i = 0; i < 16; ++i) pixels[i][3] = alpha[i];
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT4) {
        for (int i = 0; i < 16; ++i) {
            float a = pixels[i][3];
            for (int c = 0; c < 3; ++c) pixels[i][c] = a > 0.0f ? std::min(pixels[i][c] / a, 1.0f) : 0.0f;
        }
    }
}

void EncodeDxtBlock(D3DFORMAT format, const float pixels[16][4], uint16_t validMask, BYTE* block) {
    if (format == D3DFMT_DXT1) {
        uint16_t opaque = 0;
        for (int i = 0; i < 16; ++i) {
            if ((validMask >> i & 1) && pixels[i][3] >= 0.5f) opaque |= uint16_t(1 << i);
        }
        EncodeColourBlock(pixels, opaque, validMask & ~opaque, true, false, block);
        return;
    }
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        for (int i = 0; i < 8; ++i) block[i] = 0;
        for (int i = 0; i < 16; ++i) {
            int q = (validMask >> i & 1) ? int(std::clamp(pixels[i][3], 0.0f, 1.0f) * 15.0f + 0.5f) : 15;
            block[i / 2] |= BYTE(q << (4 * (i & 1)));
        }
    } else {
        EncodeInterpolatedAlpha(pixels, validMask, block);
    }
    if (format == D3DFMT_DXT3 || format == D3DFMT_DXT5) {
        EncodeColourBlock(pixels, validMask, 0, false, false, block + 8);
        return;
    }
    // The reader divides the colour by the alpha the block stores, so the
    // colour is premultiplied by that alpha, not by the one asked for.
    float premultiplied[16][4];
    float alpha[16];
    StoredAlpha(format, block, alpha);
    for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 3; ++c) premultiplied[i][c] = pixels[i][c];
        premultiplied[i][3] = alpha[i];
    }
    EncodeColourBlock(premultiplied, validMask, 0, false, true, block + 8);
}
