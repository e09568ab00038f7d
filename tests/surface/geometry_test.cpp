// The device-free arithmetic of surfaces: the pixel-rectangle rule, blit clipping, the clipping of
// copies (for the cases the pixel tests do not reach) and the region walk. Most faults of the drawing
// operations would start here.
#include "surface/clip_blit.h"
#include "surface/geometry.h"
#include "surface/region.h"
#include "surface_fixture.h"
#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>

using namespace tessary;
using surface_test::RegionRects;

TEST(PixelAndBlitRectangles, CoverTheFloatRectangleRoundingOutwardAndStayInsideTheSurface)
{
    // Fractional edges grow outward: (0.5, 0.5, 10, 10) covers pixels 0 to 10 inclusive.
    EXPECT_EQ(PixelRect(RectF{0.5f, 0.5f, 10.0f, 10.0f}), (RECT{0, 0, 11, 11}));
    // Negative values: floor(-0.5) = -1 and ceil(-0.5 + 0) = 0.
    EXPECT_EQ(PixelRect(RectF{-0.5f, -0.5f, 0.0f, 0.0f}), (RECT{-1, -1, 0, 0}));
    // A negative width keeps its sign: right lies left of left.
    EXPECT_EQ(PixelRect(RectF{200.0f, 0.0f, -100.0f, 10.0f}), (RECT{200, 0, 100, 10}));
    // The sum is taken in f32: below 2^23 a half survives, from 2^23 on it rounds away, and 2^24 + 1
    // is not representable at all.
    EXPECT_EQ(PixelRect(RectF{4194304.0f, 0.0f, 0.5f, 1.0f}), (RECT{4194304, 0, 4194305, 1}));
    EXPECT_EQ(PixelRect(RectF{8388608.0f, 0.0f, 0.5f, 1.0f}), (RECT{8388608, 0, 8388608, 1}));
    EXPECT_EQ(PixelRect(RectF{16777216.0f, 0.0f, 1.0f, 1.0f}), (RECT{16777216, 0, 16777216, 1}));
    // Beyond the i32 range the truncating conversion's indefinite value comes back, never a crash.
    EXPECT_EQ(PixelRect(RectF{0.0f, 0.0f, 3.0e9f, 1.0f}).right, INT32_MIN);
    // Sizes for Direct2D wrap through 64 bits: a negative one becomes huge, and NaN none at all.
    EXPECT_EQ(TruncateToU32(-1.0f), 0xFFFFFFFFu);
    EXPECT_EQ(TruncateToU32(NAN), 0u);

    // The box form rounds width and height on their own: (floor x, floor y, ceil w, ceil h).
    const PixelBox box = PixelBoxOf(RectF{-0.5f, 1.5f, 2.25f, 3.0f});
    EXPECT_EQ((RECT{box.x, box.y, box.width, box.height}), (RECT{-1, 1, 3, 3}));
    EXPECT_EQ(RectOfBox(box), (RECT{-1, 1, 2, 4}));

    // Blit rectangles are the host's rectangle inside the surface, without further checks.
    const RectF surface{0.0f, 0.0f, 100.0f, 50.0f};
    // Ordinary rectangles sticking out are the fuzzer's (SetBltRect against its model).
    // Entirely to the right: a negative width that makes every copy empty, reported as (200, 0, 100, 10).
    const RectF outside = BlitRectWithin(RECT{200, 0, 300, 10}, surface);
    EXPECT_EQ(outside, (RectF{200, 0, -100, 10}));
    EXPECT_EQ(PixelRect(outside), (RECT{200, 0, 100, 10}));
    // Extreme coordinates do not overflow: the arithmetic is f32 throughout.
    const RectF huge = BlitRectWithin(RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, surface);
    EXPECT_EQ(huge, surface);
}

TEST(RegionWalk, VisitsGdiRectanglesInOrder)
{
    // Nothing to walk: null, the all-bits handle and an empty region.
    int visits = 0;
    EXPECT_EQ(ForEachRegionRect(nullptr, [&](const RECT&) { ++visits; }), 0u);
    EXPECT_EQ(ForEachRegionRect(reinterpret_cast<HRGN>(~uintptr_t(0)), [&](const RECT&) { ++visits; }), 0u);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ForEachRegionRect(region, [&](const RECT&) { ++visits; }), 0u);
    EXPECT_EQ(visits, 0);

    // Two rectangles in one band come back left to right, bands top to bottom.
    tessary_test::WithRects(region, {{50, 0, 60, 10}, {0, 0, 10, 10}, {0, 20, 5, 25}});
    EXPECT_EQ(RegionRects(region), (std::vector<RECT>{{0, 0, 10, 10}, {50, 0, 60, 10}, {0, 20, 5, 25}}));

    // Past the 1008-byte stack buffer the heap path runs: GdiInterop's alpha regions of 150 rectangles.

    // An inverted rectangle is empty, not GDI's normalised rectangle.
    SetRegionToRect(region, RECT{10, 10, 0, 0});
    EXPECT_TRUE(RegionRects(region).empty());
    SetRegionToRect(region, RECT{0, 10, 10, 0});
    EXPECT_TRUE(RegionRects(region).empty());
    SetRegionToRect(region, RECT{0, 0, 10, 10});
    EXPECT_EQ(RegionRects(region).size(), 1u);
    DeleteObject(region);
}

TEST(ClipBlit, EdgesOfTheBoundsAndOfTheScale)
{
    const RectF whole{0, 0, 100, 100};
    // A source rectangle partly outside the source's bounds is cut on the source side.
    BlitRects r = ClipBlit(0, 0, RectF{-5, 90, 20, 20}, whole, whole);
    EXPECT_EQ(r.destination, (RectF{5, 0, 15, 10}));
    EXPECT_EQ(r.source, (RectF{0, 90, 15, 10}));
    // Touching the target's edge exactly: zero width at the corner, not all zeros.
    r = ClipBlit(100, 10, whole, whole, whole);
    EXPECT_EQ(r.destination, (RectF{100, 10, 0, 90}));
    // A blit rectangle set outside the surface (negative width) empties every copy.
    r = ClipBlit(0, 0, whole, whole, RectF{200, 0, -100, 10});
    EXPECT_EQ(r.destination, (RectF{0, 0, 0, 0}));
    EXPECT_EQ(r.source, (RectF{0, 0, 0, 0}));
    // 3x of a 10 x 10 source at (95, 0): 5 target columns map back to ceil(5 / 3) = 2 source columns.
    const RectF ten{0, 0, 10, 10};
    r = ClipScaledBlit(95, 0, ten, ten, whole, ten, 3.0, 3.0);
    EXPECT_EQ(r.destination, (RectF{95, 0, 5, 30}));
    const PixelBox back = UnscaledSourceBox(r.source, 3.0, 3.0);
    EXPECT_EQ(back.x, 0);
    EXPECT_EQ(back.width * 100 + back.height, 210);
}
