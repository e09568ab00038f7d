// Presentation: the clipped update region goes to UpdateLayeredWindowIndirect in a few dirty
// rectangles that cover it, with the size, source point, blend the layered window needs, and what
// Present consumes.
#include "frame/context.h"
#include "window/dirty_rectangles.h"
#include "window_fixture.h"
#include <Tessary.h>
#include <algorithm>

using namespace window_test;
using tessary::window::kMaxCallsPerPresent;

class Presentation : public WindowTest {
protected:
    // Presents and checks what the calls sent: at most kMaxCallsPerPresent, together covering the
    // update region Present found, each from the finished picture. Returns the dirty rectangles.
    std::vector<RECT> PresentCovering(Class_ZkWindowD2D* window, const std::vector<std::pair<RECT, uint32_t>>& drawn)
    {
        const int32_t cx = window->clientWidth, cy = window->clientHeight;
        std::vector<uint32_t> picture(size_t(cx) * cy, 0);
        for (const auto& [r, colour] : drawn)
            for (int32_t y = r.top; y < r.bottom; ++y)
                std::fill_n(picture.begin() + ptrdiff_t(y) * cx + r.left, r.right - r.left, colour);
        window->FoldUpdateRegion();
        HRGN uncovered = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(uncovered, window->updateRegion.handle, nullptr, RGN_COPY);
        ClearUpdates();
        EXPECT_EQ(window->Present(), 0u);
        EXPECT_LE(Updates().size(), kMaxCallsPerPresent);
        std::vector<RECT> dirty;
        for (const LayeredUpdate& u : Updates()) {
            dirty.push_back(u.dirty);
            HRGN sent = CreateRectRgnIndirect(&u.dirty);
            CombineRgn(uncovered, uncovered, sent, RGN_DIFF);
            DeleteObject(sent);
            EXPECT_EQ((RECT{u.sourcePoint.x, u.sourcePoint.y, u.windowSize.cx, u.windowSize.cy}), (RECT{0, 0, cx, cy}));
            EXPECT_TRUE(tessary_test::PixelsMatch(u.pixels, picture, cx)) << "the source holds the finished picture";
        }
        EXPECT_TRUE(RegionRects(uncovered).empty()) << "every changed pixel is inside a dirty rectangle";
        DeleteObject(uncovered);
        EXPECT_EQ(window->modified, 0u);
        EXPECT_TRUE(RegionRects(window->updateRegion.handle).empty());
        return dirty;
    }
};

TEST_F(Presentation, TheClippedUpdateRegionGoesInAFewDirtyRectanglesThatCoverIt)
{
    Class_ZkWindowD2D* window = NewWindow();
    const RECT red{10, 10, 50, 50}, blue{200, 100, 250, 150};
    ASSERT_EQ(window->FillRect(kOpaqueRed, &red), 0u);
    ASSERT_EQ(window->FillRect(kOpaqueBlue, &blue), 0u);
    // Two changes close enough that one call costs less than two: their bounding box.
    ASSERT_EQ(PresentCovering(window, {{red, kRedPixel}, {blue, kBluePixel}}), (std::vector<RECT>{{10, 10, 250, 150}}));
    const LayeredUpdate& u = Updates()[0];
    // The window keeps its position; the whole surface from (0, 0), per-pixel alpha, no colour key.
    EXPECT_EQ(u.window, window->windowHandle);
    EXPECT_TRUE(u.info.cbSize == 80 && !u.info.hdcDst && !u.info.pptDst && u.info.crKey == 0 &&
                u.info.dwFlags == ULW_ALPHA && u.info.psize && u.info.pptSrc && u.info.pblend && u.info.prcDirty);
    EXPECT_TRUE(u.blend.BlendOp == AC_SRC_OVER && u.blend.BlendFlags == 0 && u.blend.SourceConstantAlpha == 255 &&
                u.blend.AlphaFormat == AC_SRC_ALPHA);

    // Nothing drawn since: nothing to send.
    ClearUpdates();
    EXPECT_EQ(window->Present(), 0u);
    EXPECT_EQ(window->Invalidate(nullptr), 0u);
    EXPECT_TRUE(Updates().empty());

    // An invalidated area is clipped to the client area.
    const RECT beyond{-10, -10, 400, 400};
    EXPECT_EQ(window->Invalidate(&beyond), 0u);
    ASSERT_EQ(Updates().size(), 1u);
    EXPECT_EQ(Updates()[0].dirty, (RECT{0, 0, 300, 200}));
    EXPECT_TRUE(RegionRects(window->updateRegion.handle).empty());

    // Wholly outside: the region is consumed without any update.
    ClearUpdates();
    const RECT outside{500, 500, 600, 600};
    EXPECT_EQ(window->Invalidate(&outside), 0u);
    EXPECT_TRUE(Updates().empty());
    EXPECT_EQ(window->modified, 0u);
}

TEST_F(Presentation, ChangesFarApartGoInSeparateCallsAndSpreadOnesInOne)
{
    constexpr int32_t cx = 1600, cy = 1000;
    Class_ZkWindowD2D* window = NewWindow({.cx = cx, .cy = cy});
    // Two small changes in opposite corners: a bounding box would send the whole window, so each
    // goes alone.
    const RECT topLeft{0, 0, 6, 6}, bottomRight{cx - 6, cy - 6, cx, cy};
    ASSERT_EQ(window->FillRect(kOpaqueRed, &topLeft), 0u);
    ASSERT_EQ(window->FillRect(kOpaqueBlue, &bottomRight), 0u);
    EXPECT_EQ(PresentCovering(window, {{topLeft, kRedPixel}, {bottomRight, kBluePixel}}),
              (std::vector<RECT>{topLeft, bottomRight}));

    // Two busy clusters in opposite corners, 80 changes in all: one call each.
    const auto busy = [&](int count, auto place) {
        EXPECT_EQ(window->ClearRect(nullptr, 0), 0u);
        EXPECT_EQ(window->Present(), 0u);
        std::vector<std::pair<RECT, uint32_t>> drawn;
        for (int i = 0; i < count; ++i) {
            const POINT at = place(i);
            const RECT r{at.x, at.y, at.x + 9, at.y + 9};
            EXPECT_EQ(window->FillRect((i & 1) ? kOpaqueRed : kOpaqueBlue, &r), 0u);
            drawn.push_back({r, (i & 1) ? kRedPixel : kBluePixel});
        }
        window->FoldUpdateRegion();
        EXPECT_GT(RegionRects(window->updateRegion.handle).size(), 64u) << "enough to take runs together first";
        return PresentCovering(window, drawn);
    };
    const std::vector<RECT> clusters = busy(80, [&](int i) {
        const POINT inCluster{(i * 37) % 191, (i * 23) % 141};
        return i < 40 ? inCluster : POINT{cx - 200 + inCluster.x, cy - 150 + inCluster.y};
    });
    ASSERT_EQ(clusters.size(), 2u);
    EXPECT_TRUE(clusters[0].right <= 200 && clusters[0].bottom <= 150);
    EXPECT_TRUE(clusters[1].left >= cx - 200 && clusters[1].top >= cy - 150);

    // 150 changes spread over the whole window, on every edge: whichever way they are grouped, the
    // groups span the window, so one call of the bounding box costs least.
    const std::vector<RECT> spread = busy(150, [&](int i) {
        return POINT{i % 10 == 0 ? 0 : i % 10 == 5 ? cx - 9 : (i * 397) % (cx - 9),
                     i % 10 == 3 ? cy - 9 : (i * 211) % (cy - 9)};
    });
    EXPECT_EQ(spread, (std::vector<RECT>{{0, 0, cx, cy}}));
}

TEST_F(Presentation, AnOffScreenSurfaceIsDrawnIntoTheWindowAndTheWindowIntoASurface)
{
    // The host's main road: compose off screen, copy into the window, present.
    Class_ZkWindowD2D* window = NewWindow();
    auto* surface = new Class_ZkGraphicSurfaceD2D;
    const ZkSurfaceCreateInfo record{ZK_FOURCC_SURFACE, sizeof(ZkSurfaceCreateInfo), 0, 40, 20, window->windowKey};
    ASSERT_EQ(surface->Create(&record), ZK_OK);
    const RECT left{0, 0, 20, 20}, right{120, 50, 140, 70};
    ASSERT_EQ(surface->FillRect(kOpaqueRed, &left), ZK_OK);
    const POINT at{100, 50};
    RECT drawn{};
    ASSERT_EQ(surface->DrawTo(window, &at, nullptr, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{100, 50, 140, 70}));
    const LayeredUpdate* u = PresentOnce(window);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->dirty, (RECT{100, 50, 140, 70}));
    EXPECT_TRUE(PixelsAre(u->pixels, 300, 200, 0, {{{100, 50, 120, 70}, kRedPixel}}));

    // The window as the source: blue beside the red, the area marked again, copied back out.
    const RECT part{100, 50, 140, 70};
    ASSERT_EQ(window->FillRect(kOpaqueBlue, &right), 0u);
    ASSERT_EQ(window->Invalidate(&part), 0u);
    const POINT origin{0, 0};
    ASSERT_EQ(surface->ClearRect(nullptr, 0), ZK_OK);
    ASSERT_EQ(window->DrawTo(surface, &origin, &part, &drawn), ZK_OK);
    EXPECT_EQ(drawn, (RECT{0, 0, 40, 20}));
    EXPECT_TRUE(PixelsAre(ReadPixels(surface->ownTarget), 40, 20, kBluePixel, {{left, kRedPixel}}));
    surface->Release();
}

TEST_F(Presentation, OpacityIsTheConstantAlphaAndPresentRefusesWhatIsNotReady)
{
    Class_ZkWindowD2D* unready = NewWindowObject(); // its Present's code is the host test's and the sweep's
    EXPECT_EQ(unready->Invalidate(nullptr), 0u) << "no window handle: nothing happens";
    const RECT r{0, 0, 5, 5};
    EXPECT_EQ(unready->Invalidate(&r), 0u);
    EXPECT_EQ(unready->modified, 1u);
    EXPECT_TRUE(RegionRects(unready->updateRegion.handle).empty());

    // Opacity is the constant alpha of this and later presentations.
    Class_ZkWindowD2D* window = NewWindow();
    ASSERT_EQ(window->FillRect(0xFFFFFFFF, nullptr), 0u);
    ASSERT_EQ(window->Present(), 0u);
    ClearUpdates();

    EXPECT_EQ(window->SetOpacity(128), 0u);
    ASSERT_EQ(Updates().size(), 1u) << "SetOpacity presents the whole window";
    EXPECT_EQ(Updates()[0].dirty, (RECT{0, 0, 300, 200}));
    EXPECT_EQ(Updates()[0].blend.SourceConstantAlpha, 128);
    EXPECT_TRUE(PixelsAre(Updates()[0].pixels, 300, 200, 0xFFFFFFFF));

    ASSERT_EQ(window->FillRect(kOpaqueRed, &r), 0u);
    const LayeredUpdate* later = PresentOnce(window);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->blend.SourceConstantAlpha, 128) << "the opacity stays for later presentations";

    ClearUpdates();
    EXPECT_EQ(window->SetOpacity(0), 0u);
    ASSERT_EQ(Updates().size(), 1u);
    EXPECT_EQ(Updates()[0].blend.SourceConstantAlpha, 0);
    // The surface keeps its pixels: opacity is applied by the system, not drawn.
    EXPECT_TRUE(PixelsAre(ReadPixels(window), 300, 200, 0xFFFFFFFF, {{r, kRedPixel}}));

    // A refused guard presents nothing and consumes nothing.
    ASSERT_EQ(window->FillRect(kOpaqueRed, &r), 0u);
    ClearUpdates();
    Quillon().refuseLocks(1);
    EXPECT_EQ(window->Present(), ZK_FAIL);
    EXPECT_EQ(LastLockLine(), 411u);
    EXPECT_EQ(window->modified, 1u);
    EXPECT_EQ(RegionRects(window->updateRegion.handle).size(), 1u);

    // Without the system's UpdateLayeredWindowIndirect nothing is presented and the region keeps growing.
    tessary::Context().updateLayeredWindowIndirect = nullptr;
    const RECT more{20, 0, 30, 5};
    EXPECT_EQ(window->Invalidate(&more), 0u);
    EXPECT_EQ(window->Present(), 0u);
    EXPECT_EQ(window->modified, 1u);
    EXPECT_EQ(RegionRects(window->updateRegion.handle).size(), 2u);
    EXPECT_TRUE(Updates().empty());
}
