// Float rectangles of the surface record and the pixel-rectangle rule that turns them into RECTs.
// Everything here is pure arithmetic, so it is tested without a device.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tessary {

struct RectF {
    float x = 0, y = 0, width = 0, height = 0;
};

// Float to i32 by truncation toward zero, as the processor's truncating conversion does: a value
// outside the i32 range (only reachable with absurd sizes) gives INT32_MIN instead of undefined behaviour.
inline int32_t TruncateToI32(double value)
{
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Float to the u32 pixel size Direct2D is given: truncated, and wrapped like the processor's
// conversion through a 64-bit integer, so a negative size becomes a huge one that Direct2D refuses.
inline uint32_t TruncateToU32(float value)
{
    if (!(value > -9.2e18f && value < 9.2e18f))
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(value));
}

// floor of left and top, ceiling of right and bottom, so the pixels always cover the float rectangle.
inline RECT PixelRect(const RectF& r)
{
    return RECT{TruncateToI32(std::floor(r.x)), TruncateToI32(std::floor(r.y)), TruncateToI32(std::ceil(r.x + r.width)),
                TruncateToI32(std::ceil(r.y + r.height))};
}

// The same rule where the width and height themselves are wanted: (floor x, floor y, ceil width, ceil height).
struct PixelBox {
    int32_t x, y, width, height;
};

inline PixelBox PixelBoxOf(const RectF& r)
{
    return PixelBox{TruncateToI32(std::floor(r.x)), TruncateToI32(std::floor(r.y)), TruncateToI32(std::ceil(r.width)),
                    TruncateToI32(std::ceil(r.height))};
}

// The RECT a pixel box covers; the sums wrap like the i32 arithmetic they stand for.
inline RECT RectOfBox(const PixelBox& b)
{
    return RECT{b.x, b.y, static_cast<LONG>(static_cast<uint32_t>(b.x) + static_cast<uint32_t>(b.width)),
                static_cast<LONG>(static_cast<uint32_t>(b.y) + static_cast<uint32_t>(b.height))};
}

// A region's bounding box as the record holds it.
inline RectF BoxOf(const RECT& r)
{
    return RectF{float(r.left), float(r.top), float(r.right - r.left), float(r.bottom - r.top)};
}

// The blit rectangle for a host RECT: the part of it inside the surface, in f32. Nothing is checked
// further: a RECT that misses the surface leaves a zero or negative width or height, which makes
// every copy through this rectangle empty.
inline RectF BlitRectWithin(const RECT& r, const RectF& surface)
{
    const float left = float(r.left), top = float(r.top);
    const float x = std::max(left, surface.x);
    const float y = std::max(top, surface.y);
    const float right = std::min(left + (float(r.right) - left), surface.x + surface.width);
    const float bottom = std::min(top + (float(r.bottom) - top), surface.y + surface.height);
    return RectF{x, y, right - x, bottom - y};
}

// 0xAABBGGRR, straight alpha, each byte divided by 255.
inline D2D1_COLOR_F ColourF(uint32_t c)
{
    return D2D1_COLOR_F{float(c & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f, float((c >> 16) & 0xFF) / 255.0f,
                        float(c >> 24) / 255.0f};
}

inline D2D1_RECT_F RectFOf(const RECT& r)
{
    return D2D1_RECT_F{float(r.left), float(r.top), float(r.right), float(r.bottom)};
}

} // namespace tessary
