// DXT blocks against the published layouts, the encoder's error, and the YUV pairs.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/texload/PixelTestSupport.h"
#include "texload/DxtCodec.h"
#include "texload/FilterWord.h"
#include "texload/PixelTransfer.h"
#include "texload/YuvCodec.h"

namespace {

void ExpectPixel(const float p[4], float r, float g, float b, float a) {
    EXPECT_NEAR(p[0], r, 1e-5f);
    EXPECT_NEAR(p[1], g, 1e-5f);
    EXPECT_NEAR(p[2], b, 1e-5f);
    EXPECT_NEAR(p[3], a, 1e-5f);
}

TEST(DxtDecode, Dxt1FourAndThreeColourBlocks) {
    // Red over blue: four colours; indices 0, 1, 2, 3 on the first row.
    const BYTE four[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x00, 0x00, 0xC0};
    float p[16][4];
    DecodeDxtBlock(D3DFMT_DXT1, four, p);
    ExpectPixel(p[0], 1, 0, 0, 1);
    ExpectPixel(p[1], 0, 0, 1, 1);
    ExpectPixel(p[2], 2.0f / 3, 0, 1.0f / 3, 1);
    ExpectPixel(p[3], 1.0f / 3, 0, 2.0f / 3, 1);
    ExpectPixel(p[4], 1, 0, 0, 1);   // row 1 index 0
    ExpectPixel(p[15], 1.0f / 3, 0, 2.0f / 3, 1);  // last pixel: top bits, index 3
    // Blue before red (c0 <= c1): the middle colour and transparent black.
    const BYTE three[8] = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0x00, 0x00, 0x00};
    DecodeDxtBlock(D3DFMT_DXT1, three, p);
    ExpectPixel(p[0], 0, 0, 1, 1);
    ExpectPixel(p[2], 0.5f, 0, 0.5f, 1);
    ExpectPixel(p[3], 0, 0, 0, 0);
    // Green in six bits.
    const BYTE green[8] = {0x20, 0x00, 0x00, 0x00, 0, 0, 0, 0};
    DecodeDxtBlock(D3DFMT_DXT1, green, p);
    ExpectPixel(p[0], 0, 1.0f / 63, 0, 1);
}

TEST(DxtDecode, Dxt3ExplicitAlphaAndAlwaysFourColours) {
    BYTE block[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                      0x1F, 0x00, 0x00, 0xF8, 0x0E, 0x00, 0x00, 0x00};
    float p[16][4];
    DecodeDxtBlock(D3DFMT_DXT3, block, p);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(p[i][3], i / 15.0f, 1e-6f);
    // Blue before red (c0 <= c1) still gives two interpolated colours: indices 2, 3.
    ExpectPixel(p[0], 1.0f / 3, 0, 2.0f / 3, 0);
    ExpectPixel(p[1], 2.0f / 3, 0, 1.0f / 3, 1.0f / 15);
    // DXT2 stores premultiplied colour, read back divided by alpha.
    BYTE pre[16] = {0x88, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x00, 0x10, 0x00, 0, 0, 0, 0};  // alpha 8/15, blue 16/31
    DecodeDxtBlock(D3DFMT_DXT2, pre, p);
    ExpectPixel(p[0], 0, 0, std::min(1.0f, (16.0f / 31) / (8.0f / 15)), 8.0f / 15);
}

TEST(DxtDecode, Dxt5EightAndSixValueAlpha) {
    // a0 255 > a1 0; indices 0..7 on pixels 0..7 (3 bits each, crossing bytes).
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint64_t(i) << (3 * i);
    BYTE block[16] = {255, 0};
    for (int i = 0; i < 6; ++i) block[2 + i] = BYTE(bits >> (8 * i));
    float p[16][4];
    DecodeDxtBlock(D3DFMT_DXT5, block, p);
    EXPECT_FLOAT_EQ(p[0][3], 1.0f);
    EXPECT_FLOAT_EQ(p[1][3], 0.0f);
    for (int k = 2; k < 8; ++k) EXPECT_NEAR(p[k][3], (8 - k) / 7.0f, 1e-6f) << k;
    // a0 50 <= a1 200: four steps between, then 0 and 255.
    block[0] = 50;
    block[1] = 200;
    DecodeDxtBlock(D3DFMT_DXT5, block, p);
    for (int k = 2; k < 6; ++k) EXPECT_NEAR(p[k][3], ((6 - k) * 50 + (k - 1) * 200) / (5.0f * 255), 1e-6f);
    EXPECT_FLOAT_EQ(p[6][3], 0.0f);
    EXPECT_FLOAT_EQ(p[7][3], 1.0f);
}

void Roundtrip(D3DFORMAT format, const float in[16][4], float out[16][4], uint16_t valid = 0xFFFF) {
    BYTE block[16];
    EncodeDxtBlock(format, in, valid, block);
    DecodeDxtBlock(format, block, out);
}

TEST(DxtEncode, FlatAndTwoColourBlocksComeBackWithinQuantisation) {
    float in[16][4], out[16][4];
    for (int i = 0; i < 16; ++i) {
        bool first = (i * 7) % 3 == 0;
        in[i][0] = first ? 0.8f : 0.1f;
        in[i][1] = first ? 0.3f : 0.9f;
        in[i][2] = first ? 0.5f : 0.2f;
        in[i][3] = 1.0f;
    }
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
        Roundtrip(format, in, out);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(out[i][0], in[i][0], 0.5f / 31 + 1e-4f) << format;
            EXPECT_NEAR(out[i][1], in[i][1], 0.5f / 63 + 1e-4f);
            EXPECT_NEAR(out[i][2], in[i][2], 0.5f / 31 + 1e-4f);
        }
    }
}

TEST(DxtEncode, GradientBlockAndAlphaBlocksStayClose) {
    float in[16][4], out[16][4];
    for (int i = 0; i < 16; ++i) {
        float t = i / 15.0f;
        in[i][0] = 0.2f + 0.6f * t;
        in[i][1] = 0.7f - 0.5f * t;
        in[i][2] = 0.4f + 0.2f * t;
        in[i][3] = 0.1f + 0.8f * ((i * 5) % 16) / 15.0f;
    }
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}) {
        for (int i = 0; i < 16; ++i) in[i][3] = format == D3DFMT_DXT1 ? 1.0f : in[i][3];
        Roundtrip(format, in, out);
        float alphaBound = format == D3DFMT_DXT3 || format == D3DFMT_DXT2 ? 0.5f / 15 + 1e-4f : 0.07f;
        bool premultiplied = format == D3DFMT_DXT2 || format == D3DFMT_DXT4;
        double squares = 0;
        for (int i = 0; i < 16; ++i) {
            for (int c = 0; c < 3; ++c) {
                // Four codes on a line 0.6 long: half a step, plus rounding to
                // 5 or 6 bits; premultiplied colour loses more where alpha is small.
                float bound = premultiplied ? 0.12f / in[i][3] : 0.12f;
                EXPECT_NEAR(out[i][c], in[i][c], bound) << format << " pixel " << i;
                if (!premultiplied) squares += (out[i][c] - in[i][c]) * (out[i][c] - in[i][c]);
            }
            EXPECT_NEAR(out[i][3], in[i][3], alphaBound) << format;
        }
        EXPECT_LT(std::sqrt(squares / 48), 0.06) << format;
    }
}

TEST(DxtEncode, PremultipliedColourUsesTheAlphaTheBlockStores) {
    // (200, 100, 40) at alpha 41: DXT2 stores alpha 2/15 (34), so red must be
    // premultiplied by 34; premultiplied by 41 it would read back as 247.
    float in[16][4], out[16][4];
    for (int i = 0; i < 16; ++i) {
        in[i][0] = 200 / 255.0f;
        in[i][1] = 100 / 255.0f;
        in[i][2] = 40 / 255.0f;
        in[i][3] = 41 / 255.0f;
    }
    Roundtrip(D3DFMT_DXT2, in, out);
    EXPECT_FLOAT_EQ(out[0][3], 2 / 15.0f);
    // One 5-bit step of premultiplied red is 255 / 31 / (34 / 255) = 62 straight:
    // half a step round 200.
    EXPECT_NEAR(out[0][0] * 255, 200, 31);
    EXPECT_NEAR(out[7][0] * 255, 200, 31);
}

TEST(DxtEncode, Dxt1TransparentPixelsGetTheTransparentCode) {
    float in[16][4], out[16][4];
    for (int i = 0; i < 16; ++i) {
        in[i][0] = 0.9f;
        in[i][1] = 0.5f;
        in[i][2] = i / 15.0f;
        in[i][3] = (i % 5 == 0) ? 0.0f : 1.0f;
    }
    BYTE block[8];
    EncodeDxtBlock(D3DFMT_DXT1, in, 0xFFFF, block);
    uint16_t c0 = uint16_t(block[0] | block[1] << 8), c1 = uint16_t(block[2] | block[3] << 8);
    EXPECT_LE(c0, c1);
    uint32_t indices = uint32_t(block[4] | block[5] << 8 | block[6] << 16 | uint32_t(block[7]) << 24);
    DecodeDxtBlock(D3DFMT_DXT1, block, out);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(((indices >> (2 * i)) & 3) == 3, i % 5 == 0) << i;
        EXPECT_EQ(out[i][3], in[i][3]);
    }
    // Pixels outside the picture are never made transparent.
    for (int i = 0; i < 16; ++i) in[i][3] = 1.0f;
    EncodeDxtBlock(D3DFMT_DXT1, in, 0x0033, block);
    DecodeDxtBlock(D3DFMT_DXT1, block, out);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i][3], 1.0f);
}

double Psnr(TestPicture& a, TestPicture& b, UINT w, UINT h) {
    double sum = 0;
    for (UINT y = 0; y < h; ++y) {
        for (UINT x = 0; x < w; ++x) {
            for (int shift : {0, 8, 16}) {
                double d = Channel(a.Argb(x, y), shift) - Channel(b.Argb(x, y), shift);
                sum += d * d;
            }
        }
    }
    double mse = sum / (3.0 * w * h);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

double Dxt1Psnr(TestPicture& picture, UINT w, UINT h) {
    TestPicture dxt(w, h, D3DFMT_DXT1);
    EXPECT_EQ(TransferPixels(dxt.view, picture.view, FILTER_NONE, 0), S_OK);
    TestPicture back(w, h, D3DFMT_X8R8G8B8);
    EXPECT_EQ(TransferPixels(back.view, dxt.view, FILTER_NONE, 0), S_OK);
    return Psnr(picture, back, w, h);
}

// Value noise: smooth random detail at one scale.
double Noise(std::vector<double>& lattice, int cells, double x, double y) {
    double fx = x * cells, fy = y * cells;
    int ix = int(fx), iy = int(fy);
    double tx = fx - ix, ty = fy - iy;
    auto at = [&](int i, int j) { return lattice[size_t((j % cells) * cells + (i % cells))]; };
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    double top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
    double bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

TEST(DxtEncode, Dxt1QualityOnGradientAndPhotoLikePictures) {
    const UINT w = 256, h = 192;
    TestPicture gradient(w, h, D3DFMT_X8R8G8B8);
    for (UINT y = 0; y < h; ++y) {
        for (UINT x = 0; x < w; ++x) {
            uint32_t r = x * 255 / (w - 1), g = y * 255 / (h - 1), b = (x + y) * 255 / (w + h - 2);
            gradient.Argb(x, y) = 0xFF000000u | r << 16 | g << 8 | b;
        }
    }
    double gradientPsnr = Dxt1Psnr(gradient, w, h);
    EXPECT_GE(gradientPsnr, 33.0);

    // Sky, ground with fractal detail, hard-edged objects and sensor noise.
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<std::vector<double>> octaves;
    for (int cells : {4, 8, 16, 32, 64}) {
        std::vector<double> lattice(size_t(cells) * cells);
        for (double& v : lattice) v = unit(random);
        octaves.push_back(lattice);
    }
    std::normal_distribution<double> grain(0, 2.0);
    TestPicture photo(w, h, D3DFMT_X8R8G8B8);
    for (UINT y = 0; y < h; ++y) {
        for (UINT x = 0; x < w; ++x) {
            double u = double(x) / w, v = double(y) / h;
            double detail = 0, amplitude = 0.5;
            int octave = 0;
            for (int cells : {4, 8, 16, 32, 64}) {
                detail += amplitude * Noise(octaves[octave++], cells, u, v);
                amplitude *= 0.5;
            }
            double r, g, b;
            if (v < 0.4 + 0.1 * std::sin(u * 6)) {
                r = 90 + 60 * v;
                g = 140 + 60 * v;
                b = 230 - 20 * v;
            } else {
                r = 70 + 90 * detail;
                g = 90 + 80 * detail;
                b = 40 + 40 * detail;
            }
            double dx = u - 0.7, dy = v - 0.6;
            if (dx * dx + dy * dy < 0.02) {
                r = 200 * detail + 40;
                g = 40 + 20 * detail;
                b = 30;
            }
            auto clamp8 = [&](double c) { return uint32_t(std::clamp(c + grain(random), 0.0, 255.0)); };
            photo.Argb(x, y) = 0xFF000000u | clamp8(r) << 16 | clamp8(g) << 8 | clamp8(b);
        }
    }
    double photoPsnr = Dxt1Psnr(photo, w, h);
    EXPECT_GE(photoPsnr, 33.0);
    EXPECT_GE((gradientPsnr + photoPsnr) / 2, 33.0);
    RecordProperty("gradient_psnr", std::to_string(gradientPsnr));
    RecordProperty("photo_psnr", std::to_string(photoPsnr));
    std::printf("DXT1 PSNR: gradient %.2f dB, photo-like %.2f dB\n", gradientPsnr, photoPsnr);
}

TEST(YuvPairs, PublishedByteOrderAndStudioRange) {
    const BYTE yuy2[4] = {235, 128, 16, 128};  // Y0 U Y1 V
    float p[2][4];
    DecodeYuvPair(D3DFMT_YUY2, yuy2, p);
    ExpectPixel(p[0], 1, 1, 1, 1);
    ExpectPixel(p[1], 0, 0, 0, 1);
    const BYTE uyvy[4] = {128, 235, 128, 16};  // U Y0 V Y1
    DecodeYuvPair(D3DFMT_UYVY, uyvy, p);
    ExpectPixel(p[0], 1, 1, 1, 1);
    ExpectPixel(p[1], 0, 0, 0, 1);
    // Full red: V high, U below the middle.
    const BYTE red[4] = {81, 90, 81, 240};
    DecodeYuvPair(D3DFMT_YUY2, red, p);
    EXPECT_NEAR(p[0][0], 1.0f, 0.01f);
    EXPECT_NEAR(p[0][1], 0.0f, 0.01f);
    EXPECT_NEAR(p[0][2], 0.0f, 0.01f);
}

TEST(YuvPairs, WritingOnePixelKeepsTheOtherLuma) {
    BYTE pair[4] = {100, 128, 200, 128};
    float pixels[2][4] = {{0, 0, 0, 1}, {1, 1, 1, 1}};
    const float offsets[2] = {0.5f, 0.5f};
    EncodeYuvPair(D3DFMT_YUY2, pixels, 2, offsets, pair);
    EXPECT_EQ(pair[0], 100);
    EXPECT_EQ(pair[2], 235);
    EXPECT_EQ(pair[1], 128);
    EXPECT_EQ(pair[3], 128);
}

}  // namespace
