// The window as device owner after a device loss: a new window target in the registry, and the
// window's own rebuild with its black paint and new shape resources.
#include "frame/registries.h"
#include "window_fixture.h"
#include <Tessary.h>

using namespace window_test;

class WindowDevice : public WindowTest {};

TEST_F(WindowDevice, NewWindowTargetReplacesTheRegisteredOne)
{
    Class_ZkWindowD2D* window = NewWindow();
    const uint64_t key = reinterpret_cast<uint64_t>(window->windowHandle);
    ID2D1DCRenderTarget* old = window->windowTarget;
    old->AddRef(); // kept alive, so its address cannot come back for the new target
    const size_t entries = tessary::WindowTargets().size();

    EXPECT_EQ(window->RecreateWindowTarget(), 1u);
    EXPECT_NE(window->windowTarget, old);
    EXPECT_EQ(tessary::FindWindowTarget(key), window->windowTarget) << "never the released target";
    EXPECT_EQ(tessary::WindowTargets().size(), entries);
    EXPECT_EQ(tessary::WindowTargets().at(key).window, window);
    EXPECT_EQ(old->Release(), 0u) << "the window gave up its reference on the old target";

    // New objects of this window come from the new target.
    EXPECT_EQ(window->RecreateDeviceResources(), 0u);
    EXPECT_NE(window->ownTarget, nullptr);

    Class_ZkWindowD2D* unready = NewWindowObject();
    EXPECT_EQ(unready->RecreateWindowTarget(), 0u) << "nothing registered to renew";
}

TEST_F(WindowDevice, FailedWindowTargetKeepsTheOldOne)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkWindowD2D* window = NewWindow();
    ID2D1DCRenderTarget* old = window->windowTarget;
    ASSERT_EQ(SoftD2D().failNextCreate(SOFTD2D_RESOURCE_DC_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(window->RecreateWindowTarget(), 0u);
    EXPECT_EQ(window->windowTarget, old);
    EXPECT_EQ(tessary::FindWindowTarget(reinterpret_cast<uint64_t>(window->windowHandle)), old);
}

TEST_F(WindowDevice, RebuildRenewsSurfaceAndShapeResources)
{
    Class_ZkWindowD2D* window = NewWindow();
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    const RECT r{0, 0, 20, 20};
    ASSERT_EQ(window->FillRect(kRed, &r), 0u);
    ASSERT_EQ(window->Present(), 0u);
    ID2D1BitmapRenderTarget* oldComposition = window->compositionTarget;
    ID2D1Bitmap* oldMask = window->shapeMaskBitmap;
    oldComposition->AddRef();
    oldMask->AddRef();
    ASSERT_EQ(window->RecreateWindowTarget(), 1u);

    EXPECT_EQ(window->RecreateDeviceResources(), 0u);
    EXPECT_NE(window->compositionTarget, nullptr);
    EXPECT_NE(window->compositionTarget, oldComposition);
    EXPECT_NE(window->shapeMaskBitmap, nullptr);
    EXPECT_NE(window->shapeMaskBitmap, oldMask);
    EXPECT_EQ(oldComposition->Release(), 0u);
    EXPECT_EQ(oldMask->Release(), 0u);
    // The new own target is blank and wholly marked for presentation; the host redraws.
    EXPECT_EQ(window->modified, 1u);
    EXPECT_EQ(CountOtherThan(SurfacePixels(window), 300, RECT{0, 0, 300, 200}, 0u), 0u);
    ClearUpdates();
    ASSERT_EQ(window->FillRect(kRed, nullptr), 0u);
    ASSERT_EQ(window->Present(), 0u);
    ASSERT_EQ(Updates().size(), 1u);
    EXPECT_EQ(CountOtherThan(Updates()[0].pixels, 300, RECT{0, 0, 150, 200}, kRedPixel), 0u);
    EXPECT_EQ(CountOtherThan(Updates()[0].pixels, 300, RECT{150, 0, 300, 200}, 0u), 0u);
}

TEST_F(WindowDevice, FailedRebuildKeepsTheShapeResources)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkWindowD2D* window = NewWindow();
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    ID2D1BitmapRenderTarget* composition = window->compositionTarget;
    ID2D1Bitmap* mask = window->shapeMaskBitmap;
    ASSERT_EQ(SoftD2D().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(window->RecreateDeviceResources(), ZK_FAIL);
    EXPECT_EQ(window->compositionTarget, composition);
    EXPECT_EQ(window->shapeMaskBitmap, mask);

    Class_ZkWindowD2D* unready = NewWindowObject();
    EXPECT_EQ(unready->RecreateDeviceResources(), ZK_FAIL);
}

TEST_F(WindowDevice, DeviceLossRecoveryRebuildsWindowsFirst)
{
    Class_ZkWindowD2D* window = NewWindow();
    window->SetShape(NewHostRegion({RECT{0, 0, 150, 200}}));
    ID2D1DCRenderTarget* old = window->windowTarget;
    old->AddRef();
    EXPECT_EQ(OnDeviceLostTessaryInternal(), 1u);
    EXPECT_NE(window->windowTarget, old);
    EXPECT_EQ(old->Release(), 0u);
    EXPECT_NE(window->compositionTarget, nullptr);
    ASSERT_EQ(window->FillRect(kBlue, nullptr), 0u);
    ClearUpdates();
    ASSERT_EQ(window->Present(), 0u);
    ASSERT_EQ(Updates().size(), 1u);
    EXPECT_EQ(CountOtherThan(Updates()[0].pixels, 300, RECT{0, 0, 150, 200}, kBluePixel), 0u);
}
