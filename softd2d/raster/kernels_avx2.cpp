// AVX2 kernels, eight pixels per step. Compiled for AVX2 function by function and only
// reached when the CPU reports AVX2, so the rest of the DLL still runs on any x86-64.
#include <immintrin.h>

#include <cstring>

#include "kernels_scalar.h"

#define SOFTD2D_AVX2 __attribute__((target("avx2")))

namespace softd2d::avx2 {
namespace {

SOFTD2D_AVX2 inline __m256i Load(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}
SOFTD2D_AVX2 inline void Store(void* p, __m256i v) {
    _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}

SOFTD2D_AVX2 inline __m256i Div255(__m256i x) {
    return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

// As the SSE2 Spread, within each 128-bit lane: lo covers pixels 0-1 and 4-5, hi 2-3 and 6-7.
SOFTD2D_AVX2 inline void Spread(__m256i f32, __m256i& lo, __m256i& hi) {
    f32 = _mm256_or_si256(f32, _mm256_slli_epi32(f32, 16));
    lo = _mm256_unpacklo_epi32(f32, f32);
    hi = _mm256_unpackhi_epi32(f32, f32);
}

SOFTD2D_AVX2 inline __m256i Scale(__m256i p, __m256i lo, __m256i hi) {
    const __m256i z = _mm256_setzero_si256();
    __m256i pl = Div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(p, z), lo));
    __m256i ph = Div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(p, z), hi));
    return _mm256_packus_epi16(pl, ph);
}

SOFTD2D_AVX2 inline __m256i Over(__m256i s, __m256i d) {
    __m256i inv = _mm256_sub_epi32(_mm256_set1_epi32(255), _mm256_srli_epi32(s, 24));
    __m256i lo, hi;
    Spread(inv, lo, hi);
    return _mm256_adds_epu8(s, Scale(d, lo, hi));
}

SOFTD2D_AVX2 inline __m256i MaskFactors(const uint8_t* mask) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask)));
}

SOFTD2D_AVX2 void Fill(uint32_t* d, int n, uint32_t c) {
    const __m256i v = _mm256_set1_epi32(static_cast<int>(c));
    int i = 0;
    // Aligned stores keep each store inside one cache line.
    while (i < n && (reinterpret_cast<uintptr_t>(d + i) & 31) != 0) d[i++] = c;
    for (; i + 32 <= n; i += 32) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(d + i), v);
        _mm256_store_si256(reinterpret_cast<__m256i*>(d + i + 8), v);
        _mm256_store_si256(reinterpret_cast<__m256i*>(d + i + 16), v);
        _mm256_store_si256(reinterpret_cast<__m256i*>(d + i + 24), v);
    }
    for (; i + 8 <= n; i += 8) _mm256_store_si256(reinterpret_cast<__m256i*>(d + i), v);
    scalar::Fill(d + i, n - i, c);
}

SOFTD2D_AVX2 void BlendSolid(uint32_t* d, int n, uint32_t c) {
    const __m256i s = _mm256_set1_epi32(static_cast<int>(c));
    const __m256i inv = _mm256_set1_epi16(static_cast<short>(255 - (c >> 24)));
    const __m256i z = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i p = Load(d + i);
        __m256i lo = Div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(p, z), inv));
        __m256i hi = Div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(p, z), inv));
        Store(d + i, _mm256_adds_epu8(s, _mm256_packus_epi16(lo, hi)));
    }
    scalar::BlendSolid(d + i, n - i, c);
}

SOFTD2D_AVX2 void BlendRow(uint32_t* d, const uint32_t* s, int n) {
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xff000000u));
    const __m256i z = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i v = Load(s + i);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(v, alpha), alpha)) == -1) {
            Store(d + i, v);
        } else if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(v, z)) != -1) {
            Store(d + i, Over(v, Load(d + i)));
        }
    }
    scalar::BlendRow(d + i, s + i, n - i);
}

SOFTD2D_AVX2 void BlendRowScaled(uint32_t* d, const uint32_t* s, int n, uint32_t m) {
    const __m256i f = _mm256_set1_epi16(static_cast<short>(m));
    int i = 0;
    for (; i + 8 <= n; i += 8) Store(d + i, Over(Scale(Load(s + i), f, f), Load(d + i)));
    scalar::BlendRowScaled(d + i, s + i, n - i, m);
}

SOFTD2D_AVX2 void BlendRowMasked(uint32_t* d, const uint32_t* s, const uint8_t* mask, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        int64_t bytes;
        std::memcpy(&bytes, mask + i, 8);
        if (bytes == 0) continue;
        __m256i lo, hi;
        Spread(MaskFactors(mask + i), lo, hi);
        Store(d + i, Over(Scale(Load(s + i), lo, hi), Load(d + i)));
    }
    scalar::BlendRowMasked(d + i, s + i, mask + i, n - i);
}

SOFTD2D_AVX2 void BlendSolidMasked(uint32_t* d, const uint8_t* mask, int n, uint32_t c) {
    const __m256i color = _mm256_set1_epi32(static_cast<int>(c));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        int64_t bytes;
        std::memcpy(&bytes, mask + i, 8);
        if (bytes == 0) continue;
        __m256i lo, hi;
        Spread(MaskFactors(mask + i), lo, hi);
        Store(d + i, Over(Scale(color, lo, hi), Load(d + i)));
    }
    scalar::BlendSolidMasked(d + i, mask + i, n - i, c);
}

SOFTD2D_AVX2 inline __m256i Lerp(__m256i pa, __m256i pb, __m256i wa, __m256i wb) {
    const __m256i z = _mm256_setzero_si256();
    const __m256i round = _mm256_set1_epi16(128);
    __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(pa, z), wa),
                                  _mm256_mullo_epi16(_mm256_unpacklo_epi8(pb, z), wb));
    __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(pa, z), wa),
                                  _mm256_mullo_epi16(_mm256_unpackhi_epi8(pb, z), wb));
    lo = _mm256_srli_epi16(_mm256_add_epi16(lo, round), 8);
    hi = _mm256_srli_epi16(_mm256_add_epi16(hi, round), 8);
    return _mm256_packus_epi16(lo, hi);
}

SOFTD2D_AVX2 void LerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    const __m256i wb = _mm256_set1_epi16(static_cast<short>(w));
    const __m256i wa = _mm256_set1_epi16(static_cast<short>(256 - w));
    int i = 0;
    for (; i + 8 <= n; i += 8) Store(d + i, Lerp(Load(a + i), Load(b + i), wa, wb));
    scalar::LerpRows(d + i, a + i, b + i, n - i, w);
}

// Half of the fused step on 16-bit lanes: the interpolated source s = a + round((b - a) * w
// / 256), which mulhrs computes exactly for w < 256, then s + d * (255 - sa) / 255.
SOFTD2D_AVX2 inline __m256i LerpOver16(__m256i a16, __m256i b16, __m256i d16, __m256i w128) {
    const __m256i s = _mm256_add_epi16(a16, _mm256_mulhrs_epi16(_mm256_sub_epi16(b16, a16), w128));
    const __m256i inv = _mm256_xor_si256(_mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xff), 0xff),
                                         _mm256_set1_epi16(255));
    return _mm256_add_epi16(s, Div255(_mm256_mullo_epi16(d16, inv)));
}

SOFTD2D_AVX2 void BlendLerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    if (w >= 256) {
        BlendRow(d, b, n);
        return;
    }
    const __m256i w128 = _mm256_set1_epi16(static_cast<short>(w * 128));
    const __m256i z = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i pa = Load(a + i), pb = Load(b + i), pd = Load(d + i);
        const __m256i lo = LerpOver16(_mm256_unpacklo_epi8(pa, z), _mm256_unpacklo_epi8(pb, z),
                                      _mm256_unpacklo_epi8(pd, z), w128);
        const __m256i hi = LerpOver16(_mm256_unpackhi_epi8(pa, z), _mm256_unpackhi_epi8(pb, z),
                                      _mm256_unpackhi_epi8(pd, z), w128);
        Store(d + i, _mm256_packus_epi16(lo, hi));
    }
    scalar::BlendLerpRows(d + i, a + i, b + i, n - i, w);
}

// Four destination pixels per step: their texel pairs share one register, and each pair is
// weighted and summed in 16-bit lanes.
SOFTD2D_AVX2 void ScaleRowLinearAdjacent(uint32_t* d, const uint32_t* src, const int32_t* i0, const uint16_t* w, int n) {
    const __m256i z = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi16(256);
    const __m256i round = _mm256_set1_epi16(128);
    // Spreads each 16-bit weight over the four 16-bit lanes of its 64-bit lane.
    const __m256i spread = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 8, 9, 8, 9, 8, 9, 8, 9,
                                            0, 1, 0, 1, 0, 1, 0, 1, 8, 9, 8, 9, 8, 9, 8, 9);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i q0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i0[i]));
        const __m128i q1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i0[i + 1]));
        const __m128i q2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i0[i + 2]));
        const __m128i q3 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i0[i + 3]));
        // [q0 q1 | q2 q3]
        const __m256i px = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(q0, q1)),
                                                   _mm_unpacklo_epi64(q2, q3), 1);
        // Weights [w0 w1 | w2 w3], one per 64-bit lane, then spread.
        const __m256i ww = _mm256_shuffle_epi8(
            _mm256_cvtepu16_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + i))), spread);
        const __m256i inv = _mm256_sub_epi16(full, ww);
        // lo holds the pairs of pixels 0 and 2, hi those of 1 and 3.
        const __m256i lo = _mm256_mullo_epi16(_mm256_unpacklo_epi8(px, z), _mm256_unpacklo_epi64(inv, ww));
        const __m256i hi = _mm256_mullo_epi16(_mm256_unpackhi_epi8(px, z), _mm256_unpackhi_epi64(inv, ww));
        __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(lo, hi), _mm256_unpackhi_epi64(lo, hi));
        sum = _mm256_srli_epi16(_mm256_add_epi16(sum, round), 8);
        // Per 128-bit lane the low 8 bytes hold two pixels; join the lanes.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(sum, sum), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm256_castsi256_si128(packed));
    }
    scalar::ScaleRowLinearAdjacent(d + i, src, i0 + i, w + i, n - i);
}

}  // namespace
}  // namespace softd2d::avx2

namespace softd2d {

const Kernels* Avx2Kernels() {
    static const bool supported = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    if (!supported) return nullptr;
    // Scattered texel pairs stay on SSE2: AVX2 gathers do not pay there.
    static const Kernels table = {
        avx2::Fill,           avx2::BlendSolid,     avx2::BlendRow,
        avx2::BlendRowScaled, avx2::BlendRowMasked, avx2::BlendSolidMasked,
        avx2::LerpRows,       avx2::BlendLerpRows,  Sse2Kernels().scaleRowLinear, avx2::ScaleRowLinearAdjacent,
        "avx2",
    };
    return &table;
}

const Kernels& ActiveKernels() {
    static const Kernels& active = Avx2Kernels() ? *Avx2Kernels() : Sse2Kernels();
    return active;
}

}  // namespace softd2d
