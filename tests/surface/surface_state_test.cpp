// Creation, the slots of an uncreated surface, resize, reset and release, with the device resources
// each leaves behind.
#include "surface_fixture.h"
#include <gdiplus.h>

using namespace surface_test;

class SurfaceState : public SurfaceTest {};

TEST_F(SurfaceState, CreateBuildsTheWholeSurfaceOnceAndEverySlotButSetClipRegionNeedsIt)
{
    Class_ZkGraphicSurfaceD2D* surface = NewUncreatedSurface();
    ZkSurfaceCreateInfo record = SurfaceRecord(100, 50);
    ASSERT_EQ(surface->Create(&record), ZK_OK);
    const D2D1_SIZE_U pixels = surface->ownTarget->GetPixelSize();
    EXPECT_EQ(pixels.width * 1000 + pixels.height, 100050u);
    // Size, blit rectangle and clip region of a new surface: the fuzzer's geometry check.
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 100, 50}}));
    // A second Create is refused before the record is even read.
    EXPECT_EQ(surface->Create(nullptr), ZK_E_ALREADY_CREATED);
    // Required out-pointers that are null are refused, not dereferenced.
    for (uint32_t status : {surface->GetSize(nullptr), surface->GetBltRect(nullptr), surface->GetClipRegion(nullptr),
                            surface->Resize(nullptr), surface->Reserved0()})
        EXPECT_EQ(status, ZK_FAIL);

    Class_ZkGraphicSurfaceD2D* uncreated = NewUncreatedSurface();
    SIZE size{7, 7};
    RECT rect{1, 2, 3, 4};
    HostRegion region({{0, 0, 5, 5}});
    for (uint32_t status : {uncreated->GetSize(&size), uncreated->Resize(&size), uncreated->SetBltRect(nullptr),
                            uncreated->GetBltRect(&rect), uncreated->GetClipRegion(&region.region),
                            uncreated->FillRect(0xFF0000FFu, nullptr), uncreated->ClearRect(nullptr, 0),
                            uncreated->ClearRegion(&region.region), uncreated->RecreateDeviceResources(),
                            uncreated->PublishSurface(), uncreated->Reserved1(&size)})
        EXPECT_EQ(status, ZK_FAIL);
    EXPECT_EQ(size.cx, 7) << "outs untouched";
    EXPECT_EQ(rect, (RECT{1, 2, 3, 4}));
    EXPECT_TRUE(RegionIs(region.region.handle, {{0, 0, 5, 5}}));
    EXPECT_EQ(uncreated->GetRenderTarget(), nullptr);
    // The clip region exists from construction on and may be set before Create.
    EXPECT_EQ(uncreated->SetClipRegion(&region.region), ZK_OK);
    EXPECT_TRUE(RegionIs(uncreated->clipRegion.handle, {{0, 0, 5, 5}}));

    // Direct2D refusing the own target: not created, and a later try may succeed.
    REQUIRE_SOFTD2D_CONTROL();
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(uncreated->Create(&record), ZK_FAIL);
    EXPECT_EQ(uncreated->IsCreated(), 0u);
    EXPECT_EQ(uncreated->Create(&record), ZK_OK);
}

TEST_F(SurfaceState, ClipRegionIsACopyInBothDirectionsAndResizeKeepsItWithBlitButNotTheMaskedCopy)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(100, 50);
    HostRegion host({{0, 0, 10, 10}, {20, 20, 30, 30}});
    EXPECT_EQ(surface->SetClipRegion(&host.region), ZK_OK); // a copy: the fuzzer destroys its region at once

    // GetClipRegion replaces the caller's shape and drops the caller's GDI+ copy of the old one.
    HostRegion out({{40, 40, 60, 60}});
    out.region.gdiplusRegion = new Gdiplus::Region();
    EXPECT_EQ(surface->GetClipRegion(&out.region), ZK_OK);
    EXPECT_EQ(out.region.gdiplusRegion, nullptr);
    EXPECT_TRUE(RegionIs(out.region.handle, {{0, 0, 10, 10}, {20, 20, 30, 30}}));

    // Null is the whole surface again; a cached GDI+ copy of the clip region is dropped on change.
    surface->clipRegion.gdiplusRegion = new Gdiplus::Region();
    EXPECT_EQ(surface->SetClipRegion(nullptr), ZK_OK);
    EXPECT_EQ(surface->clipRegion.gdiplusRegion, nullptr);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 100, 50}}));

    // Resize replaces the target and drops the masked copy, keeping blit rectangle and clip region.
    const RECT blit{5, 5, 50, 40};
    surface->SetBltRect(&blit);
    SetRectRgn(host.region.handle, 0, 0, 60, 30);
    surface->SetClipRegion(&host.region);
    // Published through an opaque mask: until dropped, copies take the masked copy's red.
    ASSERT_EQ(surface->FillRect(0xFF0000FFu, nullptr), ZK_OK);
    GiveOpacityBuffer(surface, 100, 50, 255);
    ASSERT_EQ(surface->PublishSurface(), ZK_OK);
    ASSERT_EQ(surface->published, 1u);
    surface->BeginDrawPass();
    const SoftD2DCounters before = Control().Counters();

    const SIZE larger{200, 80};
    EXPECT_EQ(surface->Resize(&larger), ZK_OK);
    EXPECT_EQ(Control().Counters().endDraw - before.endDraw, CountedCalls(1)) << "the old pass is ended first";
    EXPECT_EQ(surface->published, 0u);
    EXPECT_TRUE(surface->maskedCopy == nullptr && surface->opacityBuffer == nullptr);
    const D2D1_SIZE_U pixels = surface->ownTarget->GetPixelSize();
    EXPECT_EQ(pixels.width * 1000 + pixels.height, 200080u);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 200, 80}}));
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 60, 30}})) << "the blit rectangle stays too (fuzzer)";
    // The new target starts transparent, and a copy takes it rather than the old masked picture.
    Class_ZkGraphicSurfaceD2D* target = NewSurface(10, 10);
    const POINT origin{-5, -5};
    ASSERT_EQ(surface->DrawTo(target, &origin, nullptr, nullptr), ZK_OK);
    EXPECT_EQ(ReadPixels(target).at(0), 0u);
}

TEST_F(SurfaceState, AResizeWhoseTargetFailsLeavesACreatedSurfaceThatRefusesToDraw)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(30, 30);
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    const SIZE size{40, 20};
    EXPECT_EQ(surface->Resize(&size), ZK_FAIL);
    EXPECT_EQ(surface->IsCreated(), 1u);
    SIZE reported{};
    EXPECT_EQ(surface->GetSize(&reported), ZK_OK);
    EXPECT_EQ(reported.cx, 40) << "the new size stays";
    EXPECT_EQ(surface->FillRect(0xFF00FF00u, nullptr), ZK_FAIL);
    EXPECT_EQ(surface->ClearRect(nullptr, 0), ZK_FAIL);
    HostRegion area({{0, 0, 1, 1}});
    EXPECT_EQ(surface->ClearRegion(&area.region), ZK_FAIL);
    EXPECT_EQ(surface->GetRenderTarget(), nullptr);
    // Refused as the source and as the target of a copy, the out rectangle emptied, nothing recorded.
    Class_ZkGraphicSurfaceD2D* other = NewSurface(10, 10);
    ForgetUpdates(other);
    const POINT origin{0, 0};
    RECT drawn{1, 1, 2, 2};
    EXPECT_EQ(surface->DrawTo(other, &origin, nullptr, &drawn), ZK_FAIL);
    EXPECT_EQ(drawn, (RECT{0, 0, 0, 0}));
    EXPECT_EQ(surface->DrawToScaled(other, &origin, 1.0, 1.0, nullptr, nullptr), ZK_FAIL);
    EXPECT_EQ(other->DrawTo(surface, &origin, nullptr, nullptr), ZK_FAIL);
    EXPECT_TRUE(RegionIs(other->updateRegion.handle, {}));
    // A later successful Resize repairs it.
    EXPECT_EQ(surface->Resize(&size), ZK_OK);
    EXPECT_EQ(surface->FillRect(0xFF00FF00u, nullptr), ZK_OK);
    EXPECT_EQ(ReadPixels(surface).at(0), 0xFF00FF00u);
    EXPECT_EQ(surface->DrawTo(other, &origin, nullptr, nullptr), ZK_OK);
}

TEST_F(SurfaceState, ResetAndReleaseGiveBackEveryDeviceResource)
{
    REQUIRE_SOFTD2D_CONTROL();
    NewSurface(4, 4)->FillRect(0xFF0000FFu, nullptr); // the red brush is cached before counting
    const LONG liveBefore = Control().liveObjectCount();
    const size_t objectsBefore = tessary::Objects().size();

    // Reset with a pass open, a mask and a GDI+ bitmap: uncreated, nothing held, and Create works again.
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(16, 16);
    surface->FillRect(0xFF0000FFu, nullptr);
    surface->GetGdiplusBitmap();
    GiveOpacityBuffer(surface, 16, 16, 0);
    EXPECT_EQ(surface->ResetData(), ZK_OK);
    EXPECT_TRUE(!surface->IsCreated() && !surface->gdiplusBitmap && !surface->opacityBuffer);
    EXPECT_EQ(Control().liveObjectCount(), liveBefore);
    const ZkSurfaceCreateInfo record = SurfaceRecord(8, 4);
    EXPECT_EQ(surface->Create(&record), ZK_OK);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 8, 4}}));

    // Released without ResetData, as a careless host would: its resources and registry entry go.
    const LONG withSurface = Control().liveObjectCount();
    auto* released = new Class_ZkGraphicSurfaceD2D;
    ASSERT_EQ(released->Create(&record), ZK_OK);
    released->FillRect(0xFF0000FFu, nullptr);
    EXPECT_EQ(released->Release(), 0u);
    EXPECT_EQ(Control().liveObjectCount(), withSurface);
    EXPECT_EQ(tessary::Objects().size(), objectsBefore + 1);
}
