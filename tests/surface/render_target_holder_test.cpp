// The surface's Direct2D resources: drawing passes, device-loss notification, the masked copy and the
// rebuild after device loss.
#include "surface_fixture.h"
#include <Tessary.h>

using namespace surface_test;

namespace {

uint32_t RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

} // namespace

class RenderTargetHolder : public SurfaceTest {};

TEST_F(RenderTargetHolder, APassOpensOnceClosesOnceAndEndsBeforeATargetIsHandedOut)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(8, 8);
    const SoftD2DCounters before = Control().Counters();
    surface->BeginDrawPass();
    surface->BeginDrawPass();
    EXPECT_EQ(surface->drawing, 1u);
    surface->EndDrawPass();
    surface->EndDrawPass();
    EXPECT_EQ(surface->drawing, 0u);
    const SoftD2DCounters after = Control().Counters();
    EXPECT_EQ(std::pair(after.beginDraw, after.endDraw), std::pair(before.beginDraw + 1, before.endDraw + 1));

    // Without an own target neither does anything.
    Class_ZkGraphicSurfaceD2D* uncreated = NewUncreatedSurface();
    uncreated->BeginDrawPass();
    EXPECT_EQ(uncreated->drawing, 0u);
    uncreated->EndDrawPass();
    EXPECT_EQ(Control().Counters().beginDraw, before.beginDraw + 1);

    // Targets are handed out with a reference, the pass ended first so that the fill is in the bitmap.
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    ASSERT_EQ(surface->drawing, 1u);
    const uint32_t ownReferences = RefCount(surface->ownTarget);
    ID2D1RenderTarget* own = surface->GetRenderTarget();
    ASSERT_EQ(own, surface->ownTarget);
    EXPECT_EQ(surface->drawing, 0u);
    EXPECT_EQ(RefCount(own), ownReferences + 1);
    own->Release();
    EXPECT_EQ(ReadPixels(surface).at(0), kRedPixel) << "the fill is in the bitmap";

    const uint32_t windowReferences = RefCount(windowTarget);
    ID2D1DCRenderTarget* window = surface->GetWindowRenderTarget();
    EXPECT_EQ(window, windowTarget);
    EXPECT_EQ(RefCount(windowTarget), windowReferences + 1);
    window->Release();
    // Looked up by the window key each time: gone from the registry, gone from here.
    tessary::UnregisterWindowTarget(kWindowKey);
    EXPECT_EQ(surface->GetWindowRenderTarget(), nullptr);
    tessary::RegisterWindowTarget(kWindowKey, nullptr, windowTarget);
}

TEST_F(RenderTargetHolder, ALostDeviceAtEndDrawPostsTheHostsMessageEachTime)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(8, 8);
    tessary_test::DeviceLostListener listener;
    ASSERT_NE(listener.window, nullptr);

    auto losePasses = [&](int passes, HRESULT failure) {
        ASSERT_EQ(Control().failNextEndDraw(surface->ownTarget, passes, failure), S_OK);
        for (int i = 0; i < passes; ++i) {
            surface->BeginDrawPass();
            surface->EndDrawPass();
        }
    };

    // No handler set: nothing is posted, the pass still counts as ended.
    losePasses(1, D2DERR_RECREATE_TARGET);
    EXPECT_EQ(surface->drawing, 0u);
    EXPECT_EQ(listener.Heard(), 0);
    // A window but message 0 is no handler either.
    SetDeviceLostHandlerTessaryInternal(listener.window, 0);
    losePasses(1, D2DERR_RECREATE_TARGET);
    EXPECT_EQ(listener.Heard(), 0);

    // With a handler, each lost pass posts once, with both parameters 0.
    SetDeviceLostHandlerTessaryInternal(listener.window, listener.kMessage);
    losePasses(2, D2DERR_RECREATE_TARGET);
    EXPECT_EQ(listener.Heard(), 2);
    EXPECT_EQ(surface->drawing, 0u);
    // Any other failure is not a lost device.
    losePasses(1, E_FAIL);
    EXPECT_EQ(listener.Heard(), 0);
}

TEST_F(RenderTargetHolder, PublishingReplacesTheMaskedCopyNeedsTheWindowTargetAndSurvivesFailures)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(6, 2);
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    // Without an opacity buffer nothing changes and the result is 0.
    EXPECT_EQ(surface->PublishSurface(), ZK_OK);
    EXPECT_TRUE(surface->maskedCopy == nullptr && surface->published == 0);

    GiveOpacityBuffer(surface, 6, 2, 128);
    EXPECT_EQ(surface->PublishSurface(), ZK_OK);
    EXPECT_EQ(surface->drawing, 0u) << "the own pass was ended before its bitmap was read";
    ASSERT_NE(surface->maskedCopy, nullptr);
    // Premultiplied red scaled by 128/255: alpha and red both 128; the own pixels stay.
    EXPECT_TRUE(Near(ReadPixels(surface->maskedCopy).at(11), 0x80800000u));
    EXPECT_EQ(ReadPixels(surface).at(11), kRedPixel);
    ID2D1RenderTarget* first = surface->maskedCopy;
    first->AddRef();
    EXPECT_EQ(surface->PublishSurface(), ZK_OK);
    EXPECT_EQ(first->Release(), 0u) << "the old masked copy was released";

    // No window target under the key: refused, and readers fall back to the own pixels.
    tessary::UnregisterWindowTarget(kWindowKey);
    EXPECT_EQ(surface->PublishSurface(), ZK_FAIL);
    EXPECT_TRUE(surface->maskedCopy == nullptr && surface->published == 0);
    tessary::RegisterWindowTarget(kWindowKey, nullptr, windowTarget);

    // No compatible target: refused.
    REQUIRE_SOFTD2D_CONTROL();
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(surface->PublishSurface(), ZK_FAIL);
    EXPECT_EQ(surface->published, 0u);

    // No brush or no mask bitmap: the masked copy is made, but stays transparent.
    for (SoftD2DResourceKind kind : {SOFTD2D_RESOURCE_BRUSH, SOFTD2D_RESOURCE_BITMAP}) {
        ASSERT_EQ(Control().failNextCreate(kind, 1, E_OUTOFMEMORY), S_OK);
        const SoftD2DCounters before = Control().Counters();
        EXPECT_EQ(surface->PublishSurface(), ZK_OK);
        EXPECT_EQ(surface->published, 1u);
        EXPECT_EQ(Control().Counters().fillOpacityMask, before.fillOpacityMask) << kind;
        EXPECT_EQ(ReadPixels(surface->maskedCopy).at(0), 0u);
        Control().clearFailures();
    }
    // A lost device at the masked copy's EndDraw is the failure sweep's (it hears the notice at every EndDraw).
}

TEST_F(RenderTargetHolder, RebuildingGivesABlankTargetToRedrawOrKeepsTheOldOne)
{
    // The blank target, republished from the opacity buffer, is the fuzzer's (device loss); here that the
    // host is told to redraw all of it.
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(10, 10);
    ForgetUpdates(surface);
    EXPECT_EQ(surface->RecreateDeviceResources(), ZK_OK);
    EXPECT_EQ(surface->modified, 1u);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 10, 10}}));

    if (!Control().Present())
        return;
    ASSERT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    GiveOpacityBuffer(surface, 10, 10, 255);
    ASSERT_EQ(surface->PublishSurface(), ZK_OK);
    ASSERT_EQ(surface->published, 1u);
    ID2D1RenderTarget* old = surface->ownTarget;
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(surface->RecreateDeviceResources(), ZK_FAIL);
    EXPECT_EQ(surface->ownTarget, old);
    EXPECT_TRUE(surface->maskedCopy == nullptr && surface->published == 0);
    EXPECT_EQ(ReadPixels(surface).at(0), kRedPixel) << "the old pixels stay";
}
