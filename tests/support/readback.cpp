#include "readback.h"
#include "surface/region.h"
#include <cstdlib>
#include <utility>

namespace tessary_test {

std::vector<RECT> RegionRects(HRGN region)
{
    std::vector<RECT> rects;
    tessary::ForEachRegionRect(region, [&](const RECT& r) { rects.push_back(r); });
    return rects;
}

HRGN WithRects(HRGN region, std::initializer_list<RECT> rects)
{
    HRGN piece = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rects) {
        SetRectRgn(piece, r.left, r.top, r.right, r.bottom);
        CombineRgn(region, region, piece, RGN_OR);
    }
    DeleteObject(piece);
    return region;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

namespace {

// Compares pixel by pixel with expected(x, y), which gives the colour and the tolerance there.
template <class Expected>
::testing::AssertionResult Compare(const std::vector<uint32_t>& pixels, int width, int height, Expected expected)
{
    if (pixels.size() != size_t(width) * size_t(height))
        return ::testing::AssertionFailure() << pixels.size() << " pixels, expected " << width << " x " << height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto [colour, tolerance] = expected(x, y);
            if (const uint32_t actual = At(pixels, width, x, y); !Near(actual, colour, tolerance))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << actual
                                                     << ", expected " << colour << " (0xAARRGGBB)";
        }
    return ::testing::AssertionSuccess();
}

} // namespace

::testing::AssertionResult PixelsMatch(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected,
                                       int width, int tolerance)
{
    return Compare(actual, width, int(expected.size()) / width,
                   [&](int x, int y) { return std::pair{At(expected, width, x, y), tolerance}; });
}

::testing::AssertionResult PixelsAre(const std::vector<uint32_t>& pixels, int width, int height, uint32_t background,
                                     std::initializer_list<Paint> painted)
{
    return Compare(pixels, width, height, [&](int x, int y) {
        std::pair<uint32_t, int> expected{background, 0};
        for (const Paint& p : painted)
            if (x >= p.rect.left && x < p.rect.right && y >= p.rect.top && y < p.rect.bottom)
                expected = {p.colour, p.tolerance};
        return expected;
    });
}

} // namespace tessary_test
