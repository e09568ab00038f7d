// Reference kernels: plain C++, used for row tails by the SIMD tables and as the yardstick
// the SIMD tables are tested against.
#include "kernels_scalar.h"

#include "pixel.h"

namespace softd2d::scalar {

void Fill(uint32_t* d, int n, uint32_t c) {
    for (int i = 0; i < n; ++i) d[i] = c;
}

void BlendSolid(uint32_t* d, int n, uint32_t c) {
    const uint32_t inv = 255 - AlphaOf(c);
    for (int i = 0; i < n; ++i) d[i] = AddSaturate(c, ScalePixel(d[i], inv));
}

void BlendRow(uint32_t* d, const uint32_t* s, int n) {
    for (int i = 0; i < n; ++i) {
        const uint32_t a = AlphaOf(s[i]);
        if (a == 255) d[i] = s[i];
        else if (s[i] != 0) d[i] = SourceOver(s[i], d[i]);
    }
}

void BlendRowScaled(uint32_t* d, const uint32_t* s, int n, uint32_t m) {
    for (int i = 0; i < n; ++i) d[i] = SourceOver(ScalePixel(s[i], m), d[i]);
}

void BlendRowMasked(uint32_t* d, const uint32_t* s, const uint8_t* mask, int n) {
    for (int i = 0; i < n; ++i) d[i] = SourceOver(ScalePixel(s[i], mask[i]), d[i]);
}

void BlendSolidMasked(uint32_t* d, const uint8_t* mask, int n, uint32_t c) {
    for (int i = 0; i < n; ++i) d[i] = SourceOver(ScalePixel(c, mask[i]), d[i]);
}

void LerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    for (int i = 0; i < n; ++i) d[i] = LerpPixel(a[i], b[i], w);
}

void BlendLerpRows(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    for (int i = 0; i < n; ++i) d[i] = SourceOver(LerpPixel(a[i], b[i], w), d[i]);
}

void ScaleRowLinear(uint32_t* d, const uint32_t* src, const int32_t* i0, const int32_t* i1,
                    const uint16_t* w, int n) {
    for (int i = 0; i < n; ++i) d[i] = LerpPixel(src[i0[i]], src[i1[i]], w[i]);
}

void ScaleRowLinearAdjacent(uint32_t* d, const uint32_t* src, const int32_t* i0, const uint16_t* w, int n) {
    for (int i = 0; i < n; ++i) d[i] = LerpPixel(src[i0[i]], src[i0[i] + 1], w[i]);
}

}  // namespace softd2d::scalar

namespace softd2d {

const Kernels& ScalarKernels() {
    static const Kernels table = {
        scalar::Fill,           scalar::BlendSolid,       scalar::BlendRow,
        scalar::BlendRowScaled, scalar::BlendRowMasked,   scalar::BlendSolidMasked,
        scalar::LerpRows,       scalar::BlendLerpRows,    scalar::ScaleRowLinear,   scalar::ScaleRowLinearAdjacent,
        "scalar",
    };
    return table;
}

}  // namespace softd2d
