// The clipping arithmetic of copies, for the cases the pixel tests do not reach: values worked out by hand.
#include "surface/clip_blit.h"
#include "surface/surface_fixture.h"

using namespace tessary;

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
