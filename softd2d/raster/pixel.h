#pragma once
// Premultiplied BGRA pixel arithmetic shared by every kernel. All blending is exact 8-bit
// integer maths so the scalar, SSE2 and AVX2 paths produce identical bytes.
#include <cstdint>

namespace softd2d {

// x / 255 rounded to nearest, exact for x in [0, 255 * 255 + 255].
inline uint32_t Div255(uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

inline uint32_t AlphaOf(uint32_t p) { return p >> 24; }

// Every channel of a premultiplied pixel times m / 255.
inline uint32_t ScalePixel(uint32_t p, uint32_t m) {
    uint32_t b = Div255((p & 0xff) * m);
    uint32_t g = Div255(((p >> 8) & 0xff) * m);
    uint32_t r = Div255(((p >> 16) & 0xff) * m);
    uint32_t a = Div255((p >> 24) * m);
    return b | (g << 8) | (r << 16) | (a << 24);
}

inline uint32_t AddSaturate(uint32_t x, uint32_t y) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t c = ((x >> shift) & 0xff) + ((y >> shift) & 0xff);
        out |= (c > 255 ? 255u : c) << shift;
    }
    return out;
}

// Source-over of premultiplied pixels: s + d * (255 - sa) / 255.
inline uint32_t SourceOver(uint32_t s, uint32_t d) {
    return AddSaturate(s, ScalePixel(d, 255 - AlphaOf(s)));
}

// a + (b - a) * w / 256 per channel, w in [0, 256], rounded to nearest.
inline uint32_t LerpPixel(uint32_t a, uint32_t b, uint32_t w) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t ca = (a >> shift) & 0xff, cb = (b >> shift) & 0xff;
        out |= ((ca * (256 - w) + cb * w + 128) >> 8) << shift;
    }
    return out;
}

}  // namespace softd2d
