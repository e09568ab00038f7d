#pragma once
// Pixel buffers and the geometry the rasterizer works in.
#include <cstddef>
#include <cstdint>

namespace softd2d {

// Top-down pixels, either premultiplied BGRA (4 bytes) or alpha only (1 byte).
struct Surface {
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;
    int bytesPerPixel = 4;

    uint32_t* Row32(int y) const { return reinterpret_cast<uint32_t*>(bits + y * stride); }
    uint8_t* Row8(int y) const { return bits + y * stride; }
    bool Empty() const { return bits == nullptr || width <= 0 || height <= 0; }
};

// Device-space rectangle in pixels; double so coordinate maths never loses a pixel.
struct RectD {
    double left = 0, top = 0, right = 0, bottom = 0;

    bool Empty() const { return !(left < right) || !(top < bottom); }
};

RectD Intersect(const RectD& a, const RectD& b);
// Aliased rasterization covers a pixel when its centre lies inside the rectangle, with
// the top-left rule: [left, right) x [top, bottom) on centres.
RectD SnapToPixelCentres(const RectD& r);
bool HasNaN(const RectD& r);

}  // namespace softd2d
