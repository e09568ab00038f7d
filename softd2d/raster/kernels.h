#pragma once
// Row kernels: the only code that touches pixels in bulk. One table per instruction set,
// chosen once at load time; draw calls call through it once per row span, never per pixel.
#include <cstdint>

namespace softd2d {

struct Kernels {
    // d[i] = c.
    void (*fill)(uint32_t* d, int n, uint32_t c);
    // d[i] = c over d[i].
    void (*blendSolid)(uint32_t* d, int n, uint32_t c);
    // d[i] = s[i] over d[i].
    void (*blendRow)(uint32_t* d, const uint32_t* s, int n);
    // d[i] = (s[i] * m / 255) over d[i], m in [0, 255].
    void (*blendRowScaled)(uint32_t* d, const uint32_t* s, int n, uint32_t m);
    // d[i] = (s[i] * mask[i] / 255) over d[i].
    void (*blendRowMasked)(uint32_t* d, const uint32_t* s, const uint8_t* mask, int n);
    // d[i] = (c * mask[i] / 255) over d[i].
    void (*blendSolidMasked)(uint32_t* d, const uint8_t* mask, int n, uint32_t c);
    // d[i] = a[i] + (b[i] - a[i]) * w / 256, w in [0, 256].
    void (*lerpRows)(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w);
    // d[i] = (a[i] + (b[i] - a[i]) * w / 256) over d[i]: a vertical linear step and its
    // blend in one pass.
    void (*blendLerpRows)(uint32_t* d, const uint32_t* a, const uint32_t* b, int n, uint32_t w);
    // d[i] = src[i0[i]] + (src[i1[i]] - src[i0[i]]) * w[i] / 256.
    void (*scaleRowLinear)(uint32_t* d, const uint32_t* src, const int32_t* i0, const int32_t* i1,
                           const uint16_t* w, int n);
    // The same with i1 = i0 + 1 throughout, so each pair is one 8-byte load.
    void (*scaleRowLinearAdjacent)(uint32_t* d, const uint32_t* src, const int32_t* i0, const uint16_t* w, int n);
    const char* name;
};

const Kernels& ScalarKernels();
const Kernels& Sse2Kernels();
// Null when the CPU lacks AVX2.
const Kernels* Avx2Kernels();
// The fastest table this CPU runs.
const Kernels& ActiveKernels();

}  // namespace softd2d
