// The window's shape: the mask built from the region, presentation composed through it, the shape
// following size changes and replacement, device faults at presentation, and the window as device
// owner: failed rebuilds keep what it has; after a device loss, a new window target in the registry and
// the window's own rebuild with its new shape resources.
#include "frame/registries.h"
#include "window_fixture.h"
#include <Tessary.h>

using namespace window_test;

class Shape : public WindowTest {};

TEST_F(Shape, MaskHoldsTheRegionClippedToTheClientAreaAndTheWindowOwnsTheRegion)
{
    Class_ZkWindowD2D* unready = NewWindowObject();
    unready->SetShape(NewHostRegion({RECT{0, 0, 5, 5}}));
    EXPECT_NE(unready->shapeRegion, nullptr);
    EXPECT_TRUE(!unready->shapeMask && !unready->compositionTarget) << "no client area yet";
    EXPECT_EQ(unready->ResetData(), 0u);
    EXPECT_EQ(unready->shapeRegion, nullptr);

    Class_ZkWindowD2D* window = NewWindow({.cx = 5, .cy = 3});
    Class_ZkRegion* first = NewHostRegion({RECT{2, 1, 4, 3}});
    HRGN handle = first->handle, scratch = first->scratch;
    window->SetShape(first);
    window->SetShape(first);
    EXPECT_EQ(window->shapeRegion, first);
    EXPECT_NE(GetObjectType(handle), 0u) << "the region held is not destroyed when handed over again";
    auto mask = [&] { return std::vector<uint8_t>(window->shapeMask, window->shapeMask + 15); };
    ASSERT_NE(window->shapeMask, nullptr);
    EXPECT_EQ(mask(), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 255, 255, 0}));
    EXPECT_NE(window->compositionTarget, nullptr);

    // A region reaching beyond the client area and an L of two rectangles; the window owned the one replaced.
    window->SetShape(NewHostRegion({RECT{-3, -3, 1, 9}, RECT{3, 2, 20, 20}}));
    EXPECT_EQ(mask(), (std::vector<uint8_t>{255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 255}));
    EXPECT_TRUE(GetObjectType(handle) == 0 && GetObjectType(scratch) == 0);
    // An empty shape hides everything.
    window->SetShape(NewHostRegion({}));
    EXPECT_EQ(mask(), std::vector<uint8_t>(15, 0));
}

TEST_F(Shape, PresentationIsTransparentOutsideTheShapeAndTheShapeFollowsTheClientSize)
{
    Class_ZkWindowD2D* window = NewWindow();
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    ASSERT_EQ(window->FillRect(kOpaqueRed, nullptr), 0u);
    const LayeredUpdate* u = PresentOnce(window);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->dirty, (RECT{0, 0, 300, 200}));
    EXPECT_TRUE(PixelsAre(u->pixels, 300, 200, 0, {{{0, 0, 150, 200}, kRedPixel}}));
    // The surface itself stays opaque everywhere.
    EXPECT_TRUE(PixelsAre(ReadPixels(window), 300, 200, kRedPixel));

    // A larger client size: the mask of the new size shows in the presentation, the shape's 150 x 200
    // and nothing else.
    const SIZE bigger{400, 300};
    ASSERT_EQ(window->SetClientSize(&bigger, 0), 0u);
    ASSERT_NE(window->shapeMask, nullptr);
    ASSERT_EQ(window->FillRect(kOpaqueBlue, nullptr), 0u);
    u = PresentOnce(window);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->windowSize.cx * 1000 + u->windowSize.cy, 400300);
    EXPECT_TRUE(PixelsAre(u->pixels, 400, 300, 0, {{{0, 0, 150, 200}, kBluePixel}}));

    // No shape: the next presentation copies the surface unmasked; the update region decides the area.
    window->SetShape(nullptr);
    EXPECT_EQ(window->compositionTarget, nullptr);
    ClearUpdates();
    const RECT right{150, 0, 400, 300};
    EXPECT_EQ(window->Invalidate(&right), 0u);
    ASSERT_EQ(Updates().size(), 1u);
    EXPECT_EQ(Updates()[0].dirty, right);
    EXPECT_TRUE(PixelsAre(Updates()[0].pixels, 400, 300, kBluePixel));

    // Shrinking clips the region to the new client area.
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    const SIZE smaller{100, 50};
    ASSERT_EQ(window->SetClientSize(&smaller, ZK_CLIENT_SIZE_SURFACE_ONLY), 0u);
    EXPECT_EQ(std::vector<uint8_t>(window->shapeMask, window->shapeMask + 5000), std::vector<uint8_t>(5000, 255));
}

// Device faults at presentation: a lost device while composing posts the notice (as at every EndDraw,
// which the failure sweep tries) and still consumes the update region; without a composition target the
// presentation goes on unshaped.
TEST_F(Shape, DeviceFaultsAtPresentationLeaveItWhole)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkWindowD2D* window = NewWindow();
    tessary_test::DeviceLostListener listener;
    SetDeviceLostHandlerTessaryInternal(listener.window, listener.kMessage);
    ASSERT_EQ(SoftD2D().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    EXPECT_NE(window->shapeMask, nullptr) << "the mask stays for the next rebuild";
    EXPECT_EQ(window->compositionTarget, nullptr);
    ASSERT_EQ(window->FillRect(kOpaqueRed, nullptr), 0u);
    const LayeredUpdate* u = PresentOnce(window);
    ASSERT_TRUE(u);
    EXPECT_TRUE(PixelsAre(u->pixels, 300, 200, kRedPixel));

    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    ASSERT_NE(window->compositionTarget, nullptr);
    ASSERT_EQ(window->FillRect(kOpaqueRed, nullptr), 0u);
    ASSERT_EQ(SoftD2D().failNextEndDraw(window->compositionTarget, 1, D2DERR_RECREATE_TARGET), S_OK);
    EXPECT_EQ(window->Present(), 0u);
    EXPECT_EQ(listener.Heard(), 1);
    EXPECT_TRUE(window->modified == 0 && RegionRects(window->updateRegion.handle).empty());
}

TEST_F(Shape, FailedRebuildsKeepAndRecoveryRenewsTargetSurfaceAndShape)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkWindowD2D* window = NewWindow();
    const uint64_t key = reinterpret_cast<uint64_t>(window->windowHandle);
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    const RECT r{0, 0, 20, 20};
    ASSERT_EQ(window->FillRect(kOpaqueRed, &r), 0u);
    ASSERT_EQ(window->Present(), 0u);
    const size_t entries = tessary::WindowTargets().size();
    // Kept alive, so their addresses cannot come back for the new objects.
    IUnknown* old[] = {window->windowTarget, window->compositionTarget, window->shapeMaskBitmap};
    for (IUnknown* object : old)
        object->AddRef();

    // Failed rebuilds keep the old resources.
    ASSERT_EQ(SoftD2D().failNextCreate(SOFTD2D_RESOURCE_DC_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(window->RecreateWindowTarget(), 0u);
    EXPECT_EQ(tessary::FindWindowTarget(key), old[0]);
    ASSERT_EQ(SoftD2D().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(window->RecreateDeviceResources(), ZK_FAIL);
    EXPECT_TRUE(window->compositionTarget == old[1] && window->shapeMaskBitmap == old[2]);

    EXPECT_EQ(OnDeviceLostTessaryInternal(), 1u);
    EXPECT_NE(window->windowTarget, old[0]);
    EXPECT_EQ(tessary::FindWindowTarget(key), window->windowTarget) << "never the released target";
    EXPECT_EQ(tessary::WindowTargets().size(), entries);
    EXPECT_NE(window->compositionTarget, nullptr);
    EXPECT_NE(window->shapeMaskBitmap, nullptr);
    for (IUnknown* object : old)
        EXPECT_EQ(object->Release(), 0u) << "the window gave up its references on the old objects";

    // The host redraws, still shaped. (The blank, wholly marked own target is the surface tests'.)
    ASSERT_EQ(window->FillRect(kOpaqueBlue, nullptr), 0u);
    const LayeredUpdate* u = PresentOnce(window);
    ASSERT_TRUE(u);
    EXPECT_TRUE(PixelsAre(u->pixels, 300, 200, 0, {{{0, 0, 150, 200}, kBluePixel}}));

    Class_ZkWindowD2D* unready = NewWindowObject();
    EXPECT_EQ(unready->RecreateWindowTarget(), 0u) << "nothing registered to renew";
    EXPECT_EQ(unready->RecreateDeviceResources(), ZK_FAIL);
}
