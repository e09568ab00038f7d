// The window as device owner: failed rebuilds keep what it has; after a device loss, a new window
// target in the registry and the window's own rebuild with its blank surface and new shape resources.
#include "frame/registries.h"
#include "window_fixture.h"
#include <Tessary.h>

using namespace window_test;

class WindowDevice : public WindowTest {};

TEST_F(WindowDevice, FailedRebuildsKeepAndRecoveryRenewsTargetSurfaceAndShape)
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
