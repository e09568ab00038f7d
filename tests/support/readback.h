// Reading pixels and regions back for comparison with worked-out values.
#pragma once

#include "support/target_pixels.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <ostream>
#include <vector>

namespace tessary_test {

// Colours as the host passes them (0xAABBGGRR) and as premultiplied pixels read back (0xAARRGGBB).
inline constexpr uint32_t kOpaqueRed = 0xFF0000FFu, kOpaqueBlue = 0xFFFF0000u, kOpaqueGreen = 0xFF00FF00u;
inline constexpr uint32_t kRedPixel = 0xFFFF0000u, kBluePixel = 0xFF0000FFu;

// The rectangles of a region in GDI's order.
std::vector<RECT> RegionRects(HRGN region);
// Adds the rectangles to `region` and returns it.
HRGN WithRects(HRGN region, std::initializer_list<RECT> rects);

inline uint32_t At(const std::vector<uint32_t>& pixels, int width, int x, int y)
{
    return pixels.at(size_t(y) * size_t(width) + size_t(x));
}
// Every channel of two pixels within `tolerance`: Direct2D's rounding of blends is not exact.
bool Near(uint32_t a, uint32_t b, int tolerance = 1);

// Every pixel of `actual` within `tolerance` per channel of `expected`, rows `width` long; describes the
// first pixel that differs.
::testing::AssertionResult PixelsMatch(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected,
                                       int width, int tolerance = 0);

// A rectangle painted in one colour, matched within `tolerance` per channel.
struct Paint {
    RECT rect;
    uint32_t colour;
    int tolerance = 0;
};
// The picture is width x height pixels of `background`, except inside the painted rectangles (a later
// one over an earlier one); describes the first pixel that differs.
::testing::AssertionResult PixelsAre(const std::vector<uint32_t>& pixels, int width, int height, uint32_t background,
                                     std::initializer_list<Paint> painted = {});

} // namespace tessary_test

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}
