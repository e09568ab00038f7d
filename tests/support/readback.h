// Reading pixels and regions back for comparison with worked-out values.
#pragma once

#include <d2d1.h>
#include <cstdint>
#include <ostream>
#include <vector>

namespace tessary_test {

// A DC's pixels from (x, y), alpha included, through a 32-bit top-down DIB section: 0xAARRGGBB, rows
// top down; empty when they cannot be read.
std::vector<uint32_t> CopyDC(HDC source, int32_t width, int32_t height, int32_t x = 0, int32_t y = 0);
// A render target's premultiplied pixels through its GDI interop, inside a pass of its own.
std::vector<uint32_t> ReadPixels(ID2D1RenderTarget* target);
// The rectangles of a region in GDI's order.
std::vector<RECT> RegionRects(HRGN region);

} // namespace tessary_test

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}
