// Reads and writes the pixels of one rectangle, one row at a time, as four
// floats per pixel: red, green, blue, alpha. Unsigned channels read 0..1,
// the signed channels of the bump formats -1..1. Works on plain memory.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/d3d8/d3d8types.h"

// A rectangle of pixels in memory. `bits` is the origin of the picture the
// rectangle lies in (for DXT formats, of its first block row); `pitch` the
// bytes from one row (DXT: block row) to the next.
struct PixelView {
    BYTE* bits = nullptr;
    INT pitch = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT left = 0, top = 0, width = 0, height = 0;
    // The picture's size: DXT blocks reaching past it encode only the pixels inside.
    UINT imageWidth = 0, imageHeight = 0;
    const PALETTEENTRY* palette = nullptr;  // null: every entry white and opaque
};

// Packing offset of the pixel at (x, y) with the 4 x 4 ordered dither.
float DitherOffset(UINT x, UINT y);

// True for the formats whose pixels come in blocks or pairs (DXT, YUY2, UYVY).
bool IsBlockFormat(D3DFORMAT format);

// The channel fields (red, green, blue, alpha: shift and width, width 0 when
// absent) of a format of plain unsigned fields; false for palettised, signed
// and block formats.
bool PlainChannelLayout(D3DFORMAT format, UINT* bytes, int shifts[4], int bits[4]);

class PixelAccessor {
public:
    // False when the format has no accessor.
    bool Init(const PixelView& view);

    const PixelView& View() const { return view_; }

    // Row y of the rectangle into width * 4 floats.
    void ReadRow(UINT y, float* rgba);

    // Row y of the rectangle from width * 4 floats; each channel is stored as
    // the integer part of offset + value * maximum, with offset 0.5 or the
    // dither offset of (x, y) in the rectangle. Values are clamped first.
    // Rows may come in any order; DXT block rows are encoded once complete.
    void WriteRow(UINT y, const float* rgba, bool dither);

    // Encodes DXT block rows whose rows were not all written.
    void Finish();

private:
    struct Field {
        uint8_t shift = 0, bits = 0;
        bool isSigned = false;
        uint32_t mask = 0;
        float scale = 0;     // read: raw value to float
        float maximum = 0;   // write: float to raw value
    };
    struct PendingBlocks {
        std::vector<float> pixels;  // 4 rows of the covered block columns
        UINT rowsWritten = 0;
    };
    enum Kind { KIND_FIELDS, KIND_PALETTE, KIND_DXT, KIND_YUV };

    BYTE* RowStart(UINT y) const;
    void ReadFields(UINT y, float* rgba) const;
    void WriteFields(UINT y, const float* rgba, bool dither) const;
    void ReadPalette(UINT y, float* rgba) const;
    void WritePalette(UINT y, const float* rgba, bool dither);
    void ReadYuv(UINT y, float* rgba) const;
    void WriteYuv(UINT y, const float* rgba, bool dither) const;
    const float* DecodedBlockRow(UINT blockRow);
    void DecodeBlockRow(UINT blockRow, float* pixels) const;
    void EncodeBlockRow(UINT blockRow, const float* pixels) const;
    uint8_t NearestEntry(const BYTE rgba[4], bool withAlpha);

    PixelView view_;
    Kind kind_ = KIND_FIELDS;
    UINT bytesPerPixel_ = 0;
    Field fields_[4];           // red, green, blue, alpha
    bool luminance_ = false;    // one stored channel read as red, green and blue
    float absentColour_ = 0.0f; // red, green, blue of a format that stores none
    std::vector<float> palette_;  // 256 x 4 floats
    std::vector<BYTE> paletteBytes_;  // 256 x 4 bytes
    std::vector<uint64_t> nearestCache_;  // colour -> nearest palette index, by hash
    UINT firstBlockColumn_ = 0, blockColumns_ = 0;
    UINT cachedBlockRow_[2] = {UINT(-1), UINT(-1)};
    std::vector<float> cachedBlocks_[2];
    UINT nextCacheSlot_ = 0;
    std::map<UINT, PendingBlocks> pending_;
};
