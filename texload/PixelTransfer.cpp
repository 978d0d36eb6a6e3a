#include "texload/PixelTransfer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "texload/ByteChannelCopy.h"
#include "texload/DxtCodec.h"
#include "texload/FilterWord.h"
#include "texload/PixelFormatTable.h"
#include "texload/TriangleTaps.h"

namespace {

// Source rows as read, with the colour key applied.
class SourceRows {
public:
    SourceRows(PixelAccessor& accessor, D3DCOLOR colorKey) : accessor_(accessor), keyed_(colorKey != 0) {
        const float k = 1.0f / 255.0f;
        key_[0] = float((colorKey >> 16) & 0xFF) * k;
        key_[1] = float((colorKey >> 8) & 0xFF) * k;
        key_[2] = float(colorKey & 0xFF) * k;
        key_[3] = float(colorKey >> 24) * k;
    }

    void Read(UINT y, float* rgba) {
        accessor_.ReadRow(y, rgba);
        if (!keyed_) return;
        for (UINT x = 0; x < accessor_.View().width; ++x, rgba += 4) {
            if (rgba[0] == key_[0] && rgba[1] == key_[1] && rgba[2] == key_[2] && rgba[3] == key_[3]) {
                rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0f;
            }
        }
    }

private:
    PixelAccessor& accessor_;
    bool keyed_;
    float key_[4];
};

bool SamePalette(const PALETTEENTRY* a, const PALETTEENTRY* b) {
    for (int i = 0; i < 256; ++i) {
        PALETTEENTRY x = a ? a[i] : PALETTEENTRY{255, 255, 255, 255};
        PALETTEENTRY y = b ? b[i] : PALETTEENTRY{255, 255, 255, 255};
        if (x.peRed != y.peRed || x.peGreen != y.peGreen || x.peBlue != y.peBlue || x.peFlags != y.peFlags) {
            return false;
        }
    }
    return true;
}

// Path 1: rows copied byte for byte. Block formats need the rectangles on
// block boundaries; false when they are not.
bool CopyBytes(const PixelView& dest, const PixelView& source) {
    D3DFORMAT format = dest.format;
    UINT blockWidth = 1, blockHeight = 1, blockBytes = 0;
    if (IsDxtFormat(format)) {
        blockWidth = blockHeight = 4;
        blockBytes = DxtBlockBytes(format);
    } else if (format == D3DFMT_YUY2 || format == D3DFMT_UYVY) {
        blockWidth = 2;
        blockBytes = 4;
    } else {
        blockBytes = UINT(FindPixelFormat(format).bits / 8);
    }
    if (blockWidth > 1 || blockHeight > 1) {
        bool aligned = dest.left % blockWidth == 0 && dest.top % blockHeight == 0 &&
                       source.left % blockWidth == 0 && source.top % blockHeight == 0 &&
                       (dest.width % blockWidth == 0 || dest.left + dest.width >= dest.imageWidth) &&
                       (dest.height % blockHeight == 0 || dest.top + dest.height >= dest.imageHeight);
        if (!aligned) return false;
    }
    UINT columns = (dest.width + blockWidth - 1) / blockWidth;
    UINT rows = (dest.height + blockHeight - 1) / blockHeight;
    size_t rowBytes = size_t(columns) * blockBytes;
    for (UINT r = 0; r < rows; ++r) {
        const BYTE* from = source.bits + ptrdiff_t(source.top / blockHeight + r) * source.pitch +
                           size_t(source.left / blockWidth) * blockBytes;
        BYTE* to = dest.bits + ptrdiff_t(dest.top / blockHeight + r) * dest.pitch +
                   size_t(dest.left / blockWidth) * blockBytes;
        std::memmove(to, from, rowBytes);
    }
    return true;
}

// Path 5, integer form: (a + b + c + d + 2) / 4 per channel of equal formats.
// Halves two rows of 4-byte pixels of 8-bit channels into one, each byte the
// rounded average of its four, masked by keep; as many output pixels as it did
// (a multiple of four; none without SSE2), the rest left to the caller.
UINT BoxFourByteRowsWide(const BYTE* row0, const BYTE* row1, BYTE* out, UINT width, uint32_t keep) {
    UINT x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2), mask = _mm_set1_epi32(int(keep));
    for (; x + 4 <= width; x += 4) {
        const BYTE* p = row0 + 8 * size_t(x);
        const BYTE* q = row1 + 8 * size_t(x);
        __m128 p0 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        __m128 p1 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
        __m128 q0 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)));
        __m128 q1 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16)));
        // Output pixel k is the average of pixels 2k and 2k + 1 of both rows.
        __m128i pe = _mm_castps_si128(_mm_shuffle_ps(p0, p1, _MM_SHUFFLE(2, 0, 2, 0)));
        __m128i po = _mm_castps_si128(_mm_shuffle_ps(p0, p1, _MM_SHUFFLE(3, 1, 3, 1)));
        __m128i qe = _mm_castps_si128(_mm_shuffle_ps(q0, q1, _MM_SHUFFLE(2, 0, 2, 0)));
        __m128i qo = _mm_castps_si128(_mm_shuffle_ps(q0, q1, _MM_SHUFFLE(3, 1, 3, 1)));
        __m128i low = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(pe, zero), _mm_unpacklo_epi8(po, zero)),
                                    _mm_add_epi16(_mm_unpacklo_epi8(qe, zero), _mm_unpacklo_epi8(qo, zero)));
        __m128i high = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(pe, zero), _mm_unpackhi_epi8(po, zero)),
                                     _mm_add_epi16(_mm_unpackhi_epi8(qe, zero), _mm_unpackhi_epi8(qo, zero)));
        low = _mm_srli_epi16(_mm_add_epi16(low, two), 2);
        high = _mm_srli_epi16(_mm_add_epi16(high, two), 2);
        __m128i result = _mm_and_si128(_mm_packus_epi16(low, high), mask);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * size_t(x)), result);
    }
#else
    (void)row0, (void)row1, (void)out, (void)width, (void)keep;
#endif
    return x;
}

bool BoxIntegers(const PixelView& dest, const PixelView& source) {
    UINT bytes;
    int shifts[4], bits[4];
    if (!PlainChannelLayout(dest.format, &bytes, shifts, bits)) return false;
    // Every byte one whole 8-bit channel (L8, A8L8, R8G8B8, ...): bytes average on their own.
    UINT wholeBytes = 0;
    for (int c = 0; c < 4; ++c) wholeBytes += bits[c] == 8 && shifts[c] % 8 == 0 ? 1 : (bits[c] == 0 ? 0 : 99);
    bool byteWise = wholeBytes == bytes && !(bytes == 4 && bits[3] == 8);
    for (UINT y = 0; y < dest.height; ++y) {
        const BYTE* row0 = source.bits + ptrdiff_t(source.top + 2 * y) * source.pitch + size_t(source.left) * bytes;
        const BYTE* row1 = row0 + source.pitch;
        BYTE* out = dest.bits + ptrdiff_t(dest.top + y) * dest.pitch + size_t(dest.left) * bytes;
        if (byteWise) {
            for (UINT x = 0; x < dest.width; ++x) {
                const BYTE* p = row0 + size_t(2 * x) * bytes;
                const BYTE* q = row1 + size_t(2 * x) * bytes;
                for (UINT i = 0; i < bytes; ++i)
                    out[size_t(x) * bytes + i] = BYTE((p[i] + p[bytes + i] + q[i] + q[bytes + i] + 2) >> 2);
            }
            continue;
        }
        if (bytes == 4 && bits[0] == 8 && bits[1] == 8 && bits[2] == 8) {
            // Four 8-bit channels at a time, two per 32-bit lane pair.
            uint32_t keep = bits[3] == 8 ? 0xFFFFFFFFu : 0x00FFFFFFu;
            for (UINT x = BoxFourByteRowsWide(row0, row1, out, dest.width, keep); x < dest.width; ++x) {
                uint32_t p0, p1, p2, p3;
                std::memcpy(&p0, row0 + 8 * size_t(x), 4);
                std::memcpy(&p1, row0 + 8 * size_t(x) + 4, 4);
                std::memcpy(&p2, row1 + 8 * size_t(x), 4);
                std::memcpy(&p3, row1 + 8 * size_t(x) + 4, 4);
                uint32_t even = (p0 & 0x00FF00FF) + (p1 & 0x00FF00FF) + (p2 & 0x00FF00FF) + (p3 & 0x00FF00FF) +
                                0x00020002;
                uint32_t odd = ((p0 >> 8) & 0x00FF00FF) + ((p1 >> 8) & 0x00FF00FF) + ((p2 >> 8) & 0x00FF00FF) +
                               ((p3 >> 8) & 0x00FF00FF) + 0x00020002;
                uint32_t v = (((even >> 2) & 0x00FF00FF) | (((odd >> 2) & 0x00FF00FF) << 8)) & keep;
                std::memcpy(out + 4 * size_t(x), &v, 4);
            }
            continue;
        }
        for (UINT x = 0; x < dest.width; ++x) {
            const BYTE* p = row0 + size_t(2 * x) * bytes;
            const BYTE* q = row1 + size_t(2 * x) * bytes;
            uint32_t px[4] = {0, 0, 0, 0};
            for (UINT i = 0; i < bytes; ++i) {
                px[0] |= uint32_t(p[i]) << (8 * i);
                px[1] |= uint32_t(p[bytes + i]) << (8 * i);
                px[2] |= uint32_t(q[i]) << (8 * i);
                px[3] |= uint32_t(q[bytes + i]) << (8 * i);
            }
            uint32_t v = 0;
            for (int c = 0; c < 4; ++c) {
                if (bits[c] == 0) continue;
                uint32_t mask = (1u << bits[c]) - 1;
                uint32_t sum = 2;
                for (int k = 0; k < 4; ++k) sum += (px[k] >> shifts[c]) & mask;
                v |= (sum / 4) << shifts[c];
            }
            BYTE* o = out + size_t(x) * bytes;
            for (UINT i = 0; i < bytes; ++i) o[i] = BYTE(v >> (8 * i));
        }
    }
    return true;
}

class Transfer {
public:
    Transfer(PixelAccessor& dest, PixelAccessor& source, DWORD filter, D3DCOLOR colorKey)
        : dest_(dest), rows_(source, colorKey), filter_(filter), dither_((filter & FILTER_DITHER) != 0),
          dw_(dest.View().width), dh_(dest.View().height), sw_(source.View().width), sh_(source.View().height) {}

    void SameSize() {
        std::vector<float> row(size_t(dw_) * 4);
        for (UINT y = 0; y < dh_; ++y) {
            rows_.Read(y, row.data());
            dest_.WriteRow(y, row.data(), dither_);
        }
    }

    void None() {
        std::vector<float> in(size_t(sw_) * 4), out(size_t(dw_) * 4);
        UINT w = std::min(sw_, dw_);
        for (UINT y = 0; y < dh_; ++y) {
            std::fill(out.begin(), out.end(), 0.0f);
            if (y < sh_) {
                rows_.Read(y, in.data());
                std::copy(in.begin(), in.begin() + size_t(w) * 4, out.begin());
            }
            dest_.WriteRow(y, out.data(), dither_);
        }
    }

    void Point() {
        std::vector<float> in(size_t(sw_) * 4), out(size_t(dw_) * 4);
        uint64_t stepX = (uint64_t(sw_) << 16) / dw_, stepY = (uint64_t(sh_) << 16) / dh_;
        std::vector<UINT> columns(dw_);
        uint64_t position = 0;
        for (UINT x = 0; x < dw_; ++x, position += stepX) columns[x] = UINT(position >> 16);
        UINT loaded = UINT(-1);
        position = 0;
        for (UINT y = 0; y < dh_; ++y, position += stepY) {
            UINT sy = UINT(position >> 16);
            if (sy != loaded) {
                rows_.Read(sy, in.data());
                loaded = sy;
            }
            for (UINT x = 0; x < dw_; ++x) std::memcpy(&out[size_t(x) * 4], &in[size_t(columns[x]) * 4], 16);
            dest_.WriteRow(y, out.data(), dither_);
        }
    }

    void BoxFloats() {
        std::vector<float> top(size_t(sw_) * 4), bottom(size_t(sw_) * 4), out(size_t(dw_) * 4);
        for (UINT y = 0; y < dh_; ++y) {
            rows_.Read(sh_ == 1 ? 0 : 2 * y, top.data());
            if (sh_ == 1) {
                bottom = top;
            } else {
                rows_.Read(2 * y + 1, bottom.data());
            }
            for (UINT x = 0; x < dw_; ++x) {
                size_t a = sw_ == 1 ? 0 : size_t(2 * x) * 4;
                size_t b = sw_ == 1 ? 0 : a + 4;
                for (int c = 0; c < 4; ++c) {
                    out[size_t(x) * 4 + c] = (top[a + c] + top[b + c] + bottom[a + c] + bottom[b + c]) * 0.25f;
                }
            }
            dest_.WriteRow(y, out.data(), dither_);
        }
    }

    // Bilinear with texel centres at half-integers, clamped at the edges.
    void Linear() {
        std::vector<UINT> x0(dw_), x1(dw_);
        std::vector<float> fx(dw_);
        LinearAxis(sw_, dw_, x0.data(), x1.data(), fx.data());
        std::vector<UINT> y0(dh_), y1(dh_);
        std::vector<float> fy(dh_);
        LinearAxis(sh_, dh_, y0.data(), y1.data(), fy.data());
        std::vector<float> rowA(size_t(sw_) * 4), rowB(size_t(sw_) * 4), out(size_t(dw_) * 4);
        UINT loadedA = UINT(-1), loadedB = UINT(-1);
        for (UINT y = 0; y < dh_; ++y) {
            if (loadedA != y0[y]) {
                if (loadedB == y0[y]) {
                    std::swap(rowA, rowB);
                    std::swap(loadedA, loadedB);
                } else {
                    rows_.Read(y0[y], rowA.data());
                    loadedA = y0[y];
                }
            }
            if (loadedB != y1[y]) {
                rows_.Read(y1[y], rowB.data());
                loadedB = y1[y];
            }
            float wy = fy[y];
            for (UINT x = 0; x < dw_; ++x) {
                const float* a0 = &rowA[size_t(x0[x]) * 4];
                const float* a1 = &rowA[size_t(x1[x]) * 4];
                const float* b0 = &rowB[size_t(x0[x]) * 4];
                const float* b1 = &rowB[size_t(x1[x]) * 4];
                float wx = fx[x];
                for (int c = 0; c < 4; ++c) {
                    float top = a0[c] + (a1[c] - a0[c]) * wx;
                    float bottom = b0[c] + (b1[c] - b0[c]) * wx;
                    out[size_t(x) * 4 + c] = top + (bottom - top) * wy;
                }
            }
            dest_.WriteRow(y, out.data(), dither_);
        }
    }

    // Separable triangle filter: each source row is filtered across, then
    // spread into the destination rows it reaches; a destination row is
    // written once its vertical weight is complete.
    void Triangle() {
        FilterTaps across, down;
        TriangleTaps(sw_, dw_, (filter_ & FILTER_MIRROR_U) != 0, &across);
        TriangleTaps(sh_, dh_, (filter_ & FILTER_MIRROR_V) != 0, &down);
        // Invert the vertical taps: for each source row, the rows it reaches.
        std::vector<std::vector<std::pair<UINT, float>>> reaches(sh_);
        for (UINT j = 0; j < dh_; ++j) {
            for (UINT t = down.first[j]; t < down.first[j] + down.count[j]; ++t) {
                reaches[down.source[t]].push_back({j, down.weight[t]});
            }
        }
        size_t rowFloats = size_t(dw_) * 4;
        std::vector<float> in(size_t(sw_) * 4), filtered(rowFloats);
        std::vector<std::vector<float>> pending(dh_);
        std::vector<std::vector<float>> spare;
        std::vector<float> weightSum(dh_, 0.0f);
        std::vector<bool> written(dh_, false);
        for (UINT sy = 0; sy < sh_; ++sy) {
            if (reaches[sy].empty()) continue;
            rows_.Read(sy, in.data());
            FilterAcross(across, in.data(), filtered.data());
            for (const auto& [j, w] : reaches[sy]) {
                std::vector<float>& acc = pending[j];
                if (acc.empty()) {
                    if (!spare.empty()) {
                        acc = std::move(spare.back());
                        spare.pop_back();
                        std::fill(acc.begin(), acc.end(), 0.0f);
                    } else {
                        acc.assign(rowFloats, 0.0f);
                    }
                }
                float* a = acc.data();
                const float* f = filtered.data();
                for (size_t i = 0; i < rowFloats; ++i) a[i] += w * f[i];
                weightSum[j] += w;
                if (weightSum[j] >= 1.0f - TRIANGLE_WEIGHT_THRESHOLD) {
                    dest_.WriteRow(j, acc.data(), dither_);
                    written[j] = true;
                    spare.push_back(std::move(acc));
                    acc = std::vector<float>();
                }
            }
        }
        // Rows whose dropped weights kept them short of complete are written
        // with their weights scaled to 1.
        for (UINT j = 0; j < dh_; ++j) {
            if (written[j]) continue;
            std::vector<float>& acc = pending[j];
            if (acc.empty()) acc.assign(rowFloats, 0.0f);
            if (weightSum[j] > 0) {
                for (float& v : acc) v /= weightSum[j];
            }
            dest_.WriteRow(j, acc.data(), dither_);
        }
    }

private:
    static void LinearAxis(UINT source, UINT dest, UINT* i0, UINT* i1, float* f) {
        double scale = double(source) / double(dest);
        for (UINT j = 0; j < dest; ++j) {
            double s = std::clamp((j + 0.5) * scale - 0.5, 0.0, double(source - 1));
            UINT base = UINT(s);
            i0[j] = base;
            i1[j] = std::min(base + 1, source - 1);
            f[j] = float(s - base);
        }
    }

    static void FilterAcross(const FilterTaps& taps, const float* in, float* out) {
        size_t destWidth = taps.first.size();
        for (size_t x = 0; x < destWidth; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            UINT end = taps.first[x] + taps.count[x];
            for (UINT t = taps.first[x]; t < end; ++t) {
                const float* p = in + size_t(taps.source[t]) * 4;
                float w = taps.weight[t];
                r += w * p[0];
                g += w * p[1];
                b += w * p[2];
                a += w * p[3];
            }
            out[x * 4 + 0] = r;
            out[x * 4 + 1] = g;
            out[x * 4 + 2] = b;
            out[x * 4 + 3] = a;
        }
    }

    PixelAccessor& dest_;
    SourceRows rows_;
    DWORD filter_;
    bool dither_;
    UINT dw_, dh_, sw_, sh_;
};

bool BoxSizesFit(UINT source, UINT dest) { return dest == source / 2 || (dest == 1 && source == 1); }

HRESULT RunPaths(const PixelView& dest, const PixelView& source, DWORD filter, D3DCOLOR colorKey) {
    PixelAccessor destAccessor, sourceAccessor;
    if (!destAccessor.Init(dest) || !sourceAccessor.Init(source)) return E_FAIL;
    const PixelFormatDescriptor& destRow = FindPixelFormat(dest.format);
    const PixelFormatDescriptor& sourceRow = FindPixelFormat(source.format);
    bool destBump = destRow.formatClass == FORMAT_CLASS_BUMP, sourceBump = sourceRow.formatClass == FORMAT_CLASS_BUMP;
    if (destBump != sourceBump) return E_FAIL;

    bool sameSize = dest.width == source.width && dest.height == source.height;
    if (dest.width == 0 || dest.height == 0) return S_OK;
    DWORD kind = FilterKind(filter);
    bool dither = (filter & FILTER_DITHER) != 0;

    if (sameSize && dest.format == source.format && colorKey == 0 &&
        (destRow.formatClass != FORMAT_CLASS_PALETTE || SamePalette(dest.palette, source.palette)) &&
        CopyBytes(dest, source)) {
        return S_OK;
    }
    if (sameSize && colorKey == 0 && CopyByteChannels(dest, source)) return S_OK;
    Transfer transfer(destAccessor, sourceAccessor, filter, colorKey);
    if (sameSize) {
        transfer.SameSize();
    } else if (kind == FILTER_NONE) {
        transfer.None();
    } else if (source.width == 0 || source.height == 0) {
        return E_FAIL;
    } else if (kind == FILTER_POINT) {
        transfer.Point();
    } else if (destBump) {
        return E_FAIL;
    } else if (kind == FILTER_BOX && BoxSizesFit(source.width, dest.width) && BoxSizesFit(source.height, dest.height)) {
        if (dest.format != source.format || dither || colorKey != 0 || source.width < 2 || source.height < 2 ||
            !BoxIntegers(dest, source)) {
            transfer.BoxFloats();
        }
    } else if (kind == FILTER_LINEAR) {
        transfer.Linear();
    } else {
        transfer.Triangle();
    }
    destAccessor.Finish();
    return S_OK;
}

}  // namespace

HRESULT TransferPixels(const PixelView& dest, const PixelView& source, DWORD filter, D3DCOLOR colorKey) {
    try {
        return RunPaths(dest, source, filter, colorKey);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
