// Presentation: one UpdateLayeredWindowIndirect per rectangle of the clipped update region, with the
// size, source point, blend and dirty rectangle the layered window needs, and what Present consumes.
#include "frame/context.h"
#include "window_fixture.h"
#include <Tessary.h>

using namespace window_test;

class Presentation : public WindowTest {};

TEST_F(Presentation, EachRectangleOfTheClippedUpdateRegionIsOneLayeredUpdate)
{
    Class_ZkWindowD2D* window = NewWindow();
    const RECT red{10, 10, 50, 50}, blue{200, 100, 250, 150};
    ASSERT_EQ(window->FillRect(kOpaqueRed, &red), 0u);
    ASSERT_EQ(window->FillRect(kOpaqueBlue, &blue), 0u);
    ClearUpdates();
    ASSERT_EQ(window->Present(), 0u);

    const std::vector<RECT> expected{red, blue}; // GDI's bands of the union, top to bottom
    ASSERT_EQ(Updates().size(), expected.size());
    for (size_t i = 0; i < Updates().size(); ++i) {
        const LayeredUpdate& u = Updates()[i];
        SCOPED_TRACE(i);
        // The window keeps its position; the whole surface from (0, 0), per-pixel alpha, no colour key.
        EXPECT_EQ(u.window, window->windowHandle);
        const UPDATELAYEREDWINDOWINFO& info = u.info;
        EXPECT_TRUE(info.cbSize == 80 && !info.hdcDst && !info.pptDst && info.crKey == 0 && info.dwFlags == ULW_ALPHA);
        ASSERT_TRUE(info.psize && info.pptSrc && info.pblend && info.prcDirty);
        EXPECT_EQ((RECT{u.sourcePoint.x, u.sourcePoint.y, u.windowSize.cx, u.windowSize.cy}), (RECT{0, 0, 300, 200}));
        EXPECT_TRUE(u.blend.BlendOp == AC_SRC_OVER && u.blend.BlendFlags == 0 && u.blend.SourceConstantAlpha == 255 &&
                    u.blend.AlphaFormat == AC_SRC_ALPHA);
        EXPECT_EQ(u.dirty, expected[i]);
        // The source holds the finished picture: the pass was ended before the copy.
        EXPECT_TRUE(PixelsAre(u.pixels, 300, 200, 0, {{red, kRedPixel}, {blue, kBluePixel}}));
    }
    EXPECT_EQ(window->modified, 0u);
    EXPECT_TRUE(RegionRects(window->updateRegion.handle).empty());

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
    // Present leaves the update box as the last change of the region made it.
    EXPECT_EQ(window->updateBox.x, -10.0f);
    EXPECT_EQ(window->updateBox.width, 410.0f);

    // Wholly outside: the region is consumed without any update.
    ClearUpdates();
    const RECT outside{500, 500, 600, 600};
    EXPECT_EQ(window->Invalidate(&outside), 0u);
    EXPECT_TRUE(Updates().empty());
    EXPECT_EQ(window->modified, 0u);
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
    Class_ZkWindowD2D* unready = NewWindowObject();
    EXPECT_EQ(unready->Present(), ZK_E_WINDOW_NOT_CREATED);
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
