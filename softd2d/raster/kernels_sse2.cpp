// SSE2 kernels, four pixels per step. SSE2 is part of x86-64, so this table is the floor.
#include <emmintrin.h>

#include <cstring>

#include "kernels_scalar.h"

namespace softd2d::sse2 {
namespace {

inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

// x / 255 rounded, per 16-bit lane, for x <= 255 * 255: ((x + 128) * 257) >> 16, the same
// value as the scalar (t + (t >> 8)) >> 8 with t = x + 128.
inline __m128i Div255(__m128i x) {
    return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

// One 16-bit factor per pixel (held in the low half of each 32-bit lane) spread over that
// pixel's four channels: lo covers pixels 0-1, hi pixels 2-3, matching unpack lo/hi of bytes.
inline void Spread(__m128i f32, __m128i& lo, __m128i& hi) {
    f32 = _mm_or_si128(f32, _mm_slli_epi32(f32, 16));
    lo = _mm_unpacklo_epi32(f32, f32);
    hi = _mm_unpackhi_epi32(f32, f32);
}

// Channels of four pixels times per-pixel factors / 255.
inline __m128i Scale(__m128i p, __m128i lo, __m128i hi) {
    const __m128i z = _mm_setzero_si128();
    __m128i pl = Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(p, z), lo));
    __m128i ph = Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(p, z), hi));
    return _mm_packus_epi16(pl, ph);
}

inline __m128i Over(__m128i s, __m128i d) {
    __m128i inv = _mm_sub_epi32(_mm_set1_epi32(255), _mm_srli_epi32(s, 24));
    __m128i lo, hi;
    Spread(inv, lo, hi);
    return _mm_adds_epu8(s, Scale(d, lo, hi));
}

// Four mask bytes as one factor per 32-bit lane.
inline __m128i MaskFactors(const uint8_t* mask) {
    int32_t bytes;
    std::memcpy(&bytes, mask, 4);
    const __m128i z = _mm_setzero_si128();
    __m128i m = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), z);
    return _mm_unpacklo_epi16(m, z);
}

void Fill(uint32_t* d, int n, uint32_t c) {
    const __m128i v = _mm_set1_epi32(static_cast<int>(c));
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        Store(d + i, v);
        Store(d + i + 4, v);
        Store(d + i + 8, v);
        Store(d + i + 12, v);
    }
    for (; i + 4 <= n; i += 4) Store(d + i, v);
    scalar::Fill(d + i, n - i, c);
}

void BlendSolid(uint32_t* d, int n, uint32_t c) {
    const __m128i s = _mm_set1_epi32(static_cast<int>(c));
    const __m128i inv = _mm_set1_epi16(static_cast<short>(255 - (c >> 24)));
    const __m128i z = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i p = Load(d + i);
        __m128i lo = Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(p, z), inv));
        __m128i hi = Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(p, z), inv));
        Store(d + i, _mm_adds_epu8(s, _mm_packus_epi16(lo, hi)));
    }
    scalar::BlendSolid(d + i, n - i, c);
}

void BlendRow(uint32_t* d, const uint32_t* s, int n) {
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xff000000u));
    const __m128i z = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i v = Load(s + i);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(v, alpha), alpha)) == 0xffff) {
            Store(d + i, v);
        } else if (_mm_movemask_epi8(_mm_cmpeq_epi32(v, z)) != 0xffff) {
            Store(d + i, Over(v, Load(d + i)));
        }
    }
    scalar::BlendRow(d + i, s + i, n - i);
}

void BlendRowScaled(uint32_t* d, const uint32_t* s, int n, uint32_t m) {
    const __m128i f = _mm_set1_epi16(static_cast<short>(m));
    int i = 0;
    for (; i + 4 <= n; i += 4) Store(d + i, Over(Scale(Load(s + i), f, f), Load(d + i)));
    scalar::BlendRowScaled(d + i, s + i, n - i, m);
}

void BlendRowMasked(uint32_t* d, const uint32_t* s, const uint8_t* mask, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        int32_t bytes;
        std::memcpy(&bytes, mask + i, 4);
        if (bytes == 0) continue;
        __m128i lo, hi;
        Spread(MaskFactors(mask + i), lo, hi);
        Store(d + i, Over(Scale(Load(s + i), lo, hi), Load(d + i)));
    }
    scalar::BlendRowMasked(d + i, s + i, mask + i, n - i);
}

void BlendSolidMasked(uint32_t* d, const uint8_t* mask, int n, uint32_t c) {
    const __m128i color = _mm_set1_epi32(static_cast<int>(c));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        int32_t bytes;
        std::memcpy(&bytes, mask + i, 4);
        if (bytes == 0) continue;
        __m128i lo, hi;
        Spread(MaskFactors(mask + i), lo, hi);
        Store(d + i, Over(Scale(color, lo, hi), Load(d + i)));
    }
    scalar::BlendSolidMasked(d + i, mask + i, n - i, c);
}

// a + (b - a) * w / 256 for four pixels, wa = 256 - w and wb = w in every lane.
inline __m128i Lerp(__m128i pa, __m128i pb, __m128i wa, __m128i wb) {
    const __m128i z = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi16(128);
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pa, z), wa),
                               _mm_mullo_epi16(_mm_unpacklo_epi8(pb, z), wb));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(pa, z), wa),
                               _mm_mullo_epi16(_mm_unpackhi_epi8(pb, z), wb));
    lo = _mm_srli_epi16(_mm_add_epi16(lo, round), 8);
    hi = _mm_srli_epi16(_mm_add_epi16(hi, round), 8);
    return _mm_packus_epi16(lo, hi);
}

void LerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    const __m128i wb = _mm_set1_epi16(static_cast<short>(w));
    const __m128i wa = _mm_set1_epi16(static_cast<short>(256 - w));
    int i = 0;
    for (; i + 4 <= n; i += 4) Store(d + i, Lerp(Load(a + i), Load(b + i), wa, wb));
    scalar::LerpRows(d + i, a + i, b + i, n - i, w);
}

void BlendLerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    const __m128i wb = _mm_set1_epi16(static_cast<short>(w));
    const __m128i wa = _mm_set1_epi16(static_cast<short>(256 - w));
    int i = 0;
    for (; i + 4 <= n; i += 4) Store(d + i, Over(Lerp(Load(a + i), Load(b + i), wa, wb), Load(d + i)));
    scalar::BlendLerpRows(d + i, a + i, b + i, n - i, w);
}

void ScaleRowLinear(uint32_t* d, const uint32_t* src, const int32_t* i0, const int32_t* i1,
                    const uint16_t* w, int n) {
    const __m128i z = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    const __m128i round = _mm_set1_epi16(128);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        __m128i p0 = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(src[i0[i]])),
                                        _mm_cvtsi32_si128(static_cast<int>(src[i1[i]])));
        __m128i p1 = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(src[i0[i + 1]])),
                                        _mm_cvtsi32_si128(static_cast<int>(src[i1[i + 1]])));
        __m128i px = _mm_unpacklo_epi64(p0, p1);
        __m128i ww = _mm_cvtsi32_si128(static_cast<int>(w[i] | (uint32_t(w[i + 1]) << 16)));
        ww = _mm_unpacklo_epi16(ww, ww);
        ww = _mm_unpacklo_epi32(ww, ww);  // w0 x4, w1 x4
        __m128i inv = _mm_sub_epi16(full, ww);
        __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(px, z), _mm_unpacklo_epi64(inv, ww));
        __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(px, z), _mm_unpackhi_epi64(inv, ww));
        __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));
        sum = _mm_srli_epi16(_mm_add_epi16(sum, round), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(sum, sum));
    }
    scalar::ScaleRowLinear(d + i, src, i0 + i, i1 + i, w + i, n - i);
}

void ScaleRowLinearAdjacent(uint32_t* d, const uint32_t* src, const int32_t* i0, const uint16_t* w, int n) {
    const __m128i z = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    const __m128i round = _mm_set1_epi16(128);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i0[i]));
        __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i0[i + 1]));
        __m128i ww = _mm_cvtsi32_si128(static_cast<int>(w[i] | (uint32_t(w[i + 1]) << 16)));
        ww = _mm_unpacklo_epi16(ww, ww);
        ww = _mm_unpacklo_epi32(ww, ww);
        __m128i inv = _mm_sub_epi16(full, ww);
        __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(p0, z), _mm_unpacklo_epi64(inv, ww));
        __m128i hi = _mm_mullo_epi16(_mm_unpacklo_epi8(p1, z), _mm_unpackhi_epi64(inv, ww));
        __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));
        sum = _mm_srli_epi16(_mm_add_epi16(sum, round), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(sum, sum));
    }
    scalar::ScaleRowLinearAdjacent(d + i, src, i0 + i, w + i, n - i);
}

}  // namespace
}  // namespace softd2d::sse2

namespace softd2d {

const Kernels& Sse2Kernels() {
    static const Kernels table = {
        sse2::Fill,           sse2::BlendSolid,     sse2::BlendRow,
        sse2::BlendRowScaled, sse2::BlendRowMasked, sse2::BlendSolidMasked,
        sse2::LerpRows,       sse2::BlendLerpRows,  sse2::ScaleRowLinear, sse2::ScaleRowLinearAdjacent,
        "sse2",
    };
    return table;
}

}  // namespace softd2d
