#include "texload/PixelAccessor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "texload/DxtCodec.h"
#include "texload/YuvCodec.h"

namespace {

const int DITHER_MATRIX[4][4] = {
    {15, 7, 13, 5},
    {3, 11, 1, 9},
    {12, 4, 14, 6},
    {0, 8, 2, 10},
};

struct FieldPlace {
    int shift, bits;
    bool isSigned;
};

// Stored layout of a format of plain channel fields: red, green, blue, alpha
// (for the bump formats W, V, U and Q or L).
struct FieldFormat {
    D3DFORMAT format;
    int bytes;
    FieldPlace fields[4];
    bool luminance;
    float absentColour;
};

constexpr FieldPlace NONE = {0, 0, false};
constexpr FieldPlace U(int shift, int bits) { return {shift, bits, false}; }
constexpr FieldPlace S(int shift, int bits) { return {shift, bits, true}; }

const FieldFormat FIELD_FORMATS[] = {
    {D3DFMT_R8G8B8, 3, {U(16, 8), U(8, 8), U(0, 8), NONE}, false, 0},
    {D3DFMT_A8R8G8B8, 4, {U(16, 8), U(8, 8), U(0, 8), U(24, 8)}, false, 0},
    {D3DFMT_X8R8G8B8, 4, {U(16, 8), U(8, 8), U(0, 8), NONE}, false, 0},
    {D3DFMT_R5G6B5, 2, {U(11, 5), U(5, 6), U(0, 5), NONE}, false, 0},
    {D3DFMT_X1R5G5B5, 2, {U(10, 5), U(5, 5), U(0, 5), NONE}, false, 0},
    {D3DFMT_A1R5G5B5, 2, {U(10, 5), U(5, 5), U(0, 5), U(15, 1)}, false, 0},
    {D3DFMT_A4R4G4B4, 2, {U(8, 4), U(4, 4), U(0, 4), U(12, 4)}, false, 0},
    {D3DFMT_R3G3B2, 1, {U(5, 3), U(2, 3), U(0, 2), NONE}, false, 0},
    {D3DFMT_A8, 1, {NONE, NONE, NONE, U(0, 8)}, false, 1.0f},
    {D3DFMT_A8R3G3B2, 2, {U(5, 3), U(2, 3), U(0, 2), U(8, 8)}, false, 0},
    {D3DFMT_X4R4G4B4, 2, {U(8, 4), U(4, 4), U(0, 4), NONE}, false, 0},
    {D3DFMT_L8, 1, {U(0, 8), NONE, NONE, NONE}, true, 0},
    {D3DFMT_A8L8, 2, {U(0, 8), NONE, NONE, U(8, 8)}, true, 0},
    {D3DFMT_A4L4, 1, {U(0, 4), NONE, NONE, U(4, 4)}, true, 0},
    {D3DFMT_V8U8, 2, {NONE, S(8, 8), S(0, 8), NONE}, false, 0},
    {D3DFMT_L6V5U5, 2, {NONE, S(5, 5), S(0, 5), U(10, 6)}, false, 0},
    {D3DFMT_X8L8V8U8, 4, {NONE, S(8, 8), S(0, 8), U(16, 8)}, false, 0},
    {D3DFMT_Q8W8V8U8, 4, {S(16, 8), S(8, 8), S(0, 8), S(24, 8)}, false, 0},
    {D3DFMT_V16U16, 4, {NONE, S(16, 16), S(0, 16), NONE}, false, 0},
    {D3DFMT_W11V11U10, 4, {S(21, 11), S(10, 11), S(0, 10), NONE}, false, 0},
};

uint32_t Load(const BYTE* p, UINT bytes) {
    switch (bytes) {
    case 1: return p[0];
    case 2: return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    case 3: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    default: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
}

void Store(BYTE* p, UINT bytes, uint32_t v) {
    for (UINT i = 0; i < bytes; ++i) p[i] = BYTE(v >> (8 * i));
}

void RowOffsets(UINT y, bool dither, float offsets[4]) {
    for (int x = 0; x < 4; ++x) offsets[x] = dither ? DitherOffset(UINT(x), y) : 0.5f;
}

}  // namespace

float DitherOffset(UINT x, UINT y) { return (float(DITHER_MATRIX[y & 3][x & 3]) + 0.5f) / 16.0f; }

bool IsBlockFormat(D3DFORMAT format) { return IsDxtFormat(format) || IsYuvFormat(format); }

bool PixelAccessor::Init(const PixelView& view) {
    view_ = view;
    if (view_.imageWidth < view.left + view.width) view_.imageWidth = view.left + view.width;
    if (view_.imageHeight < view.top + view.height) view_.imageHeight = view.top + view.height;
    pending_.clear();
    cachedBlockRow_[0] = cachedBlockRow_[1] = UINT(-1);
    if (IsDxtFormat(view.format)) {
        kind_ = KIND_DXT;
        firstBlockColumn_ = view.left / 4;
        blockColumns_ = view.width == 0 ? 0 : (view.left + view.width - 1) / 4 - firstBlockColumn_ + 1;
        return true;
    }
    if (IsYuvFormat(view.format)) {
        kind_ = KIND_YUV;
        return true;
    }
    if (view.format == D3DFMT_P8 || view.format == D3DFMT_A8P8) {
        kind_ = KIND_PALETTE;
        bytesPerPixel_ = view.format == D3DFMT_P8 ? 1 : 2;
        palette_.resize(256 * 4);
        paletteBytes_.resize(256 * 4);
        for (int i = 0; i < 256; ++i) {
            BYTE entry[4] = {255, 255, 255, 255};
            if (view.palette != nullptr) {
                entry[0] = view.palette[i].peRed;
                entry[1] = view.palette[i].peGreen;
                entry[2] = view.palette[i].peBlue;
                entry[3] = view.palette[i].peFlags;
            }
            for (int c = 0; c < 4; ++c) {
                paletteBytes_[i * 4 + c] = entry[c];
                palette_[i * 4 + c] = float(entry[c]) * (1.0f / 255.0f);
            }
        }
        nearestCache_.assign(4096, -1);
        return true;
    }
    for (const FieldFormat& layout : FIELD_FORMATS) {
        if (layout.format != view.format) continue;
        kind_ = KIND_FIELDS;
        bytesPerPixel_ = UINT(layout.bytes);
        luminance_ = layout.luminance;
        absentColour_ = layout.absentColour;
        for (int c = 0; c < 4; ++c) {
            const FieldPlace& place = layout.fields[c];
            Field& field = fields_[c];
            field = Field();
            if (place.bits == 0) continue;
            field.shift = uint8_t(place.shift);
            field.bits = uint8_t(place.bits);
            field.isSigned = place.isSigned;
            field.mask = place.bits == 32 ? 0xFFFFFFFFu : (1u << place.bits) - 1;
            field.maximum = place.isSigned ? float(1u << (place.bits - 1)) : float(field.mask);
            field.scale = 1.0f / field.maximum;
        }
        return true;
    }
    return false;
}

BYTE* PixelAccessor::RowStart(UINT y) const {
    return view_.bits + ptrdiff_t(view_.top + y) * view_.pitch + ptrdiff_t(view_.left) * bytesPerPixel_;
}

void PixelAccessor::ReadRow(UINT y, float* rgba) {
    switch (kind_) {
    case KIND_FIELDS: ReadFields(y, rgba); break;
    case KIND_PALETTE: ReadPalette(y, rgba); break;
    case KIND_YUV: ReadYuv(y, rgba); break;
    case KIND_DXT: {
        UINT row = view_.top + y;
        const float* block = DecodedBlockRow(row / 4) + size_t(row % 4) * blockColumns_ * 16;
        const float* start = block + size_t(view_.left - firstBlockColumn_ * 4) * 4;
        std::memcpy(rgba, start, sizeof(float) * 4 * view_.width);
        break;
    }
    }
}

void PixelAccessor::WriteRow(UINT y, const float* rgba, bool dither) {
    switch (kind_) {
    case KIND_FIELDS: WriteFields(y, rgba, dither); break;
    case KIND_PALETTE: WritePalette(y, rgba, dither); break;
    case KIND_YUV: WriteYuv(y, rgba, dither); break;
    case KIND_DXT: {
        UINT row = view_.top + y;
        UINT blockRow = row / 4;
        auto found = pending_.find(blockRow);
        if (found == pending_.end()) {
            PendingBlocks blocks;
            blocks.pixels.assign(size_t(blockColumns_) * 64, 0.0f);
            // A block's pixels share two end colours and one index word, so
            // changing any pixel means fitting and writing the whole block
            // again. Pixels of these blocks outside the rectangle go into that
            // fit as they decode now, so they come out as close to what they
            // were as the codec allows.
            UINT spanLeft = firstBlockColumn_ * 4;
            UINT spanRight = std::min((firstBlockColumn_ + blockColumns_) * 4, view_.imageWidth);
            UINT rowsTop = blockRow * 4;
            UINT rowsBottom = std::min(rowsTop + 4, view_.imageHeight);
            if (spanLeft < view_.left || spanRight > view_.left + view_.width || rowsTop < view_.top ||
                rowsBottom > view_.top + view_.height) {
                DecodeBlockRow(blockRow, blocks.pixels.data());
            }
            found = pending_.emplace(blockRow, std::move(blocks)).first;
        }
        PendingBlocks& blocks = found->second;
        float* start = blocks.pixels.data() + size_t(row % 4) * blockColumns_ * 16 +
                       size_t(view_.left - firstBlockColumn_ * 4) * 4;
        std::memcpy(start, rgba, sizeof(float) * 4 * view_.width);
        UINT first = std::max(blockRow * 4, view_.top);
        UINT last = std::min(blockRow * 4 + 4, view_.top + view_.height);
        if (++blocks.rowsWritten >= last - first) {
            EncodeBlockRow(blockRow, blocks.pixels.data());
            pending_.erase(found);
            // A cached decode of this block row is stale now.
            for (UINT& cached : cachedBlockRow_) {
                if (cached == blockRow) cached = UINT(-1);
            }
        }
        break;
    }
    }
}

void PixelAccessor::Finish() {
    for (auto& [blockRow, blocks] : pending_) EncodeBlockRow(blockRow, blocks.pixels.data());
    pending_.clear();
}

void PixelAccessor::ReadFields(UINT y, float* rgba) const {
    const BYTE* p = RowStart(y);
    UINT width = view_.width;
    if (view_.format == D3DFMT_A8R8G8B8 || view_.format == D3DFMT_X8R8G8B8) {
        const float k = 1.0f / 255.0f;
        bool alpha = view_.format == D3DFMT_A8R8G8B8;
        for (UINT x = 0; x < width; ++x, p += 4, rgba += 4) {
            rgba[0] = float(p[2]) * k;
            rgba[1] = float(p[1]) * k;
            rgba[2] = float(p[0]) * k;
            rgba[3] = alpha ? float(p[3]) * k : 1.0f;
        }
        return;
    }
    for (UINT x = 0; x < width; ++x, p += bytesPerPixel_, rgba += 4) {
        uint32_t v = Load(p, bytesPerPixel_);
        for (int c = 0; c < 4; ++c) {
            const Field& f = fields_[c];
            if (f.bits == 0) {
                rgba[c] = c == 3 ? 1.0f : absentColour_;
                continue;
            }
            uint32_t raw = (v >> f.shift) & f.mask;
            if (f.isSigned) {
                int32_t s = int32_t(raw);
                if (raw >> (f.bits - 1)) s -= int32_t(1u << f.bits) ;
                rgba[c] = float(s) * f.scale;
            } else {
                rgba[c] = float(raw) * f.scale;
            }
        }
        if (luminance_) rgba[1] = rgba[2] = rgba[0];
    }
}

void PixelAccessor::WriteFields(UINT y, const float* rgba, bool dither) const {
    BYTE* p = RowStart(y);
    UINT width = view_.width;
    float offsets[4];
    RowOffsets(y, dither, offsets);
    if (view_.format == D3DFMT_A8R8G8B8 || view_.format == D3DFMT_X8R8G8B8) {
        bool alpha = view_.format == D3DFMT_A8R8G8B8;
        auto q = [](float v, float offset) { return BYTE(std::clamp(v, 0.0f, 1.0f) * 255.0f + offset); };
        for (UINT x = 0; x < width; ++x, p += 4, rgba += 4) {
            float offset = offsets[x & 3];
            p[0] = q(rgba[2], offset);
            p[1] = q(rgba[1], offset);
            p[2] = q(rgba[0], offset);
            p[3] = alpha ? q(rgba[3], offset) : 0;
        }
        return;
    }
    for (UINT x = 0; x < width; ++x, p += bytesPerPixel_, rgba += 4) {
        float offset = offsets[x & 3];
        float values[4] = {rgba[0], rgba[1], rgba[2], rgba[3]};
        if (luminance_) values[0] = 0.299f * rgba[0] + 0.587f * rgba[1] + 0.114f * rgba[2];
        uint32_t v = 0;
        for (int c = 0; c < 4; ++c) {
            const Field& f = fields_[c];
            if (f.bits == 0) continue;
            uint32_t raw;
            if (f.isSigned) {
                float scaled = std::clamp(values[c], -1.0f, 1.0f) * f.maximum + offset;
                int32_t s = int32_t(std::floor(scaled));
                s = std::clamp(s, -int32_t(f.maximum), int32_t(f.maximum) - 1);
                raw = uint32_t(s) & f.mask;
            } else {
                raw = uint32_t(std::clamp(values[c], 0.0f, 1.0f) * f.maximum + offset);
                raw = std::min(raw, f.mask);
            }
            v |= raw << f.shift;
        }
        Store(p, bytesPerPixel_, v);
    }
}

void PixelAccessor::ReadPalette(UINT y, float* rgba) const {
    const BYTE* p = RowStart(y);
    for (UINT x = 0; x < view_.width; ++x, p += bytesPerPixel_, rgba += 4) {
        const float* entry = &palette_[size_t(p[0]) * 4];
        rgba[0] = entry[0];
        rgba[1] = entry[1];
        rgba[2] = entry[2];
        rgba[3] = bytesPerPixel_ == 2 ? float(p[1]) * (1.0f / 255.0f) : entry[3];
    }
}

uint8_t PixelAccessor::NearestEntry(const BYTE rgba[4], bool withAlpha) {
    uint32_t key = uint32_t(rgba[0]) | uint32_t(rgba[1]) << 8 | uint32_t(rgba[2]) << 16 |
                   (withAlpha ? uint32_t(rgba[3]) << 24 : 0);
    uint64_t& cached = nearestCache_[((key * 2654435761u) >> 20) & 4095];
    if ((cached >> 40) != 0 && uint32_t(cached >> 8) == key) return uint8_t(cached);
    int best = 0;
    int bestDistance = 1 << 30;
    int channels = withAlpha ? 4 : 3;
    for (int i = 0; i < 256 && bestDistance > 0; ++i) {
        const BYTE* e = &paletteBytes_[size_t(i) * 4];
        int d = 0;
        for (int c = 0; c < channels; ++c) d += (int(e[c]) - int(rgba[c])) * (int(e[c]) - int(rgba[c]));
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    cached = uint64_t(1) << 40 | uint64_t(key) << 8 | uint64_t(best);
    return uint8_t(best);
}

void PixelAccessor::WritePalette(UINT y, const float* rgba, bool dither) {
    BYTE* p = RowStart(y);
    float offsets[4];
    RowOffsets(y, dither, offsets);
    bool separateAlpha = bytesPerPixel_ == 2;
    for (UINT x = 0; x < view_.width; ++x, p += bytesPerPixel_, rgba += 4) {
        BYTE colour[4];
        for (int c = 0; c < 4; ++c) colour[c] = BYTE(std::clamp(rgba[c], 0.0f, 1.0f) * 255.0f + offsets[x & 3]);
        p[0] = NearestEntry(colour, !separateAlpha);
        if (separateAlpha) p[1] = colour[3];
    }
}

void PixelAccessor::ReadYuv(UINT y, float* rgba) const {
    const BYTE* row = view_.bits + ptrdiff_t(view_.top + y) * view_.pitch;
    UINT x = view_.left, end = view_.left + view_.width;
    float pair[2][4];
    while (x < end) {
        DecodeYuvPair(view_.format, row + size_t(x / 2) * 4, pair);
        for (UINT i = x & 1; i < 2 && x < end; ++i, ++x, rgba += 4) std::memcpy(rgba, pair[i], sizeof(float) * 4);
    }
}

void PixelAccessor::WriteYuv(UINT y, const float* rgba, bool dither) const {
    BYTE* row = view_.bits + ptrdiff_t(view_.top + y) * view_.pitch;
    UINT x = view_.left, end = view_.left + view_.width;
    while (x < end) {
        float pair[2][4] = {};
        float offsets[2] = {0.5f, 0.5f};
        unsigned mask = 0;
        UINT pairStart = x & ~1u;
        BYTE* bytes = row + size_t(pairStart / 2) * 4;
        for (UINT i = x & 1; i < 2 && x < end; ++i, ++x, rgba += 4) {
            std::memcpy(pair[i], rgba, sizeof(float) * 4);
            if (dither) offsets[i] = DitherOffset(x - view_.left, y);
            mask |= 1u << i;
        }
        if (mask != 3) {
            // A pair cut by the rectangle's edge: the pixel outside keeps its
            // luma and still shares in the pair's colour.
            float stored[2][4];
            DecodeYuvPair(view_.format, bytes, stored);
            int outside = mask == 1 ? 1 : 0;
            std::memcpy(pair[outside], stored[outside], sizeof(float) * 4);
        }
        EncodeYuvPair(view_.format, pair, mask, offsets, bytes);
    }
}

const float* PixelAccessor::DecodedBlockRow(UINT blockRow) {
    for (int i = 0; i < 2; ++i) {
        if (cachedBlockRow_[i] == blockRow) return cachedBlocks_[i].data();
    }
    UINT slot = nextCacheSlot_;
    nextCacheSlot_ ^= 1;
    cachedBlocks_[slot].resize(size_t(blockColumns_) * 64);
    DecodeBlockRow(blockRow, cachedBlocks_[slot].data());
    cachedBlockRow_[slot] = blockRow;
    return cachedBlocks_[slot].data();
}

// The covered blocks of one block row as 4 rows of pixels, 4 floats each.
void PixelAccessor::DecodeBlockRow(UINT blockRow, float* pixels) const {
    UINT blockBytes = DxtBlockBytes(view_.format);
    const BYTE* block = view_.bits + ptrdiff_t(blockRow) * view_.pitch + size_t(firstBlockColumn_) * blockBytes;
    size_t rowFloats = size_t(blockColumns_) * 16;
    float decoded[16][4];
    for (UINT column = 0; column < blockColumns_; ++column, block += blockBytes) {
        DecodeDxtBlock(view_.format, block, decoded);
        for (int py = 0; py < 4; ++py) {
            std::memcpy(pixels + py * rowFloats + column * 16, decoded[py * 4], sizeof(float) * 16);
        }
    }
}

void PixelAccessor::EncodeBlockRow(UINT blockRow, const float* pixels) const {
    UINT blockBytes = DxtBlockBytes(view_.format);
    BYTE* block = view_.bits + ptrdiff_t(blockRow) * view_.pitch + size_t(firstBlockColumn_) * blockBytes;
    size_t rowFloats = size_t(blockColumns_) * 16;
    float gathered[16][4];
    for (UINT column = 0; column < blockColumns_; ++column, block += blockBytes) {
        uint16_t valid = 0;
        for (int py = 0; py < 4; ++py) {
            std::memcpy(gathered[py * 4], pixels + py * rowFloats + column * 16, sizeof(float) * 16);
            for (int px = 0; px < 4; ++px) {
                UINT sx = (firstBlockColumn_ + column) * 4 + UINT(px), sy = blockRow * 4 + UINT(py);
                if (sx < view_.imageWidth && sy < view_.imageHeight) valid |= uint16_t(1 << (py * 4 + px));
            }
        }
        EncodeDxtBlock(view_.format, gathered, valid, block);
    }
}

bool PlainChannelLayout(D3DFORMAT format, UINT* bytes, int shifts[4], int bits[4]) {
    for (const FieldFormat& layout : FIELD_FORMATS) {
        if (layout.format != format) continue;
        for (int c = 0; c < 4; ++c) {
            if (layout.fields[c].isSigned) return false;
            shifts[c] = layout.fields[c].shift;
            bits[c] = layout.fields[c].bits;
        }
        *bytes = UINT(layout.bytes);
        return true;
    }
    return false;
}
