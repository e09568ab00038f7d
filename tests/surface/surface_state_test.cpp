// Creation, reset, resize and the geometry slots of a surface on a registered window target.
#include "surface_fixture.h"
#include <gdiplus.h>

using namespace surface_test;

namespace {

bool SameRect(const tessary::RectF& a, float x, float y, float width, float height)
{
    return a.x == x && a.y == y && a.width == width && a.height == height;
}

} // namespace

class SurfaceState : public SurfaceTest {};

TEST_F(SurfaceState, CreateChecksTheRecordInOrderThenBuildsTheWholeSurface)
{
    Class_ZkGraphicSurfaceD2D* surface = NewUncreatedSurface();
    // The record checks come before anything changes.
    ZkSurfaceCreateInfo record = SurfaceRecord(100, 50);
    record.fourcc = ZK_FOURCC_SURFACE_IMPL;
    EXPECT_EQ(surface->Create(&record), ZK_E_WRONG_FOURCC);
    record = SurfaceRecord(100, 50);
    record.size = 27;
    EXPECT_EQ(surface->Create(&record), ZK_E_WRONG_SIZE);
    record.size = 32;
    EXPECT_EQ(surface->Create(&record), ZK_E_WRONG_SIZE);
    EXPECT_EQ(surface->Create(nullptr), ZK_FAIL);
    EXPECT_TRUE(SameRect(surface->surfaceRect, 0, 0, 0, 0));

    // No window target under the key: refused, yet the rectangle and the key already hold the new values.
    record = SurfaceRecord(100, 50, kWindowKey + 1);
    EXPECT_EQ(surface->Create(&record), ZK_FAIL);
    EXPECT_EQ(surface->IsCreated(), 0u);
    EXPECT_EQ(surface->ownTarget, nullptr);
    EXPECT_TRUE(SameRect(surface->surfaceRect, 0, 0, 100, 50));
    EXPECT_EQ(surface->windowKey, kWindowKey + 1);

    record = SurfaceRecord(100, 50);
    ASSERT_EQ(surface->Create(&record), ZK_OK);
    EXPECT_EQ(surface->IsCreated(), 1u);
    ASSERT_NE(surface->ownTarget, nullptr);
    const D2D1_SIZE_U pixels = surface->ownTarget->GetPixelSize();
    EXPECT_EQ(pixels.width, 100u);
    EXPECT_EQ(pixels.height, 50u);
    EXPECT_EQ(surface->ownTarget->GetTextAntialiasMode(), D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    SIZE size{};
    EXPECT_EQ(surface->GetSize(&size), ZK_OK);
    EXPECT_EQ(size.cx, 100);
    EXPECT_EQ(size.cy, 50);
    RECT blit{};
    EXPECT_EQ(surface->GetBltRect(&blit), ZK_OK);
    EXPECT_EQ(blit, (RECT{0, 0, 100, 50}));
    HostRegion clip({});
    EXPECT_EQ(surface->GetClipRegion(&clip.region), ZK_OK);
    EXPECT_TRUE(RegionIs(clip.region.handle, {{0, 0, 100, 50}}));
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 100, 50}}));
    EXPECT_TRUE(SameRect(surface->updateBox, 0, 0, 100, 50));
    EXPECT_EQ(surface->modified, 1u);
    EXPECT_EQ(surface->drawing, 0u);

    // A second Create is refused before the record is even read.
    EXPECT_EQ(surface->Create(nullptr), ZK_E_ALREADY_CREATED);
    EXPECT_EQ(surface->Create(&record), ZK_E_ALREADY_CREATED);

    // Direct2D refusing the own target: not created, and a later try may succeed.
    if (!Control().Present())
        return;
    Class_ZkGraphicSurfaceD2D* refused = NewUncreatedSurface();
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(refused->Create(&record), ZK_FAIL);
    EXPECT_EQ(refused->IsCreated(), 0u);
    EXPECT_EQ(refused->ownTarget, nullptr);
    EXPECT_EQ(refused->Create(&record), ZK_OK);
}

TEST_F(SurfaceState, EverySlotButSetClipRegionRefusesASurfaceThatIsNotCreated)
{
    Class_ZkGraphicSurfaceD2D* surface = NewUncreatedSurface();
    SIZE size{7, 7};
    EXPECT_EQ(surface->GetSize(&size), ZK_FAIL);
    EXPECT_EQ(size.cx, 7) << "out untouched";
    EXPECT_EQ(surface->Resize(&size), ZK_FAIL);
    EXPECT_EQ(surface->SetBltRect(nullptr), ZK_FAIL);
    RECT rect{1, 2, 3, 4};
    EXPECT_EQ(surface->GetBltRect(&rect), ZK_FAIL);
    EXPECT_EQ(rect, (RECT{1, 2, 3, 4}));
    HostRegion region({{0, 0, 5, 5}});
    EXPECT_EQ(surface->GetClipRegion(&region.region), ZK_FAIL);
    EXPECT_TRUE(RegionIs(region.region.handle, {{0, 0, 5, 5}}));
    EXPECT_EQ(surface->FillRect(0xFF0000FFu, nullptr), ZK_FAIL);
    EXPECT_EQ(surface->ClearRect(nullptr, 0), ZK_FAIL);
    EXPECT_EQ(surface->ClearRegion(&region.region), ZK_FAIL);
    EXPECT_EQ(surface->RecreateDeviceResources(), ZK_FAIL);
    EXPECT_EQ(surface->PublishSurface(), ZK_FAIL);
    EXPECT_EQ(surface->GetRenderTarget(), nullptr);
    surface->SetUpdateOnClear(1);
    EXPECT_EQ(surface->updateOnClear, 0u);

    // The clip region exists from construction on and may be set before Create.
    EXPECT_EQ(surface->SetClipRegion(&region.region), ZK_OK);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 5, 5}}));
    EXPECT_EQ(surface->SetClipRegion(nullptr), ZK_OK);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {}));

    // The reserved slots refuse on any surface.
    EXPECT_EQ(surface->Reserved0(), ZK_FAIL);
    EXPECT_EQ(surface->Reserved1(&size), ZK_FAIL);
    Class_ZkGraphicSurfaceD2D* created = NewSurface(4, 4);
    EXPECT_EQ(created->Reserved0(), ZK_FAIL);
    EXPECT_EQ(created->Reserved1(nullptr), ZK_FAIL);
    // Required out-pointers that are null are refused, not dereferenced.
    EXPECT_EQ(created->GetSize(nullptr), ZK_FAIL);
    EXPECT_EQ(created->GetBltRect(nullptr), ZK_FAIL);
    EXPECT_EQ(created->GetClipRegion(nullptr), ZK_FAIL);
    EXPECT_EQ(created->Resize(nullptr), ZK_FAIL);
}

TEST_F(SurfaceState, BlitRectangleIsClippedToTheSurfaceAndReportedInPixels)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(100, 50);
    RECT blit{};
    const RECT corner{-10, -10, 20, 20};
    EXPECT_EQ(surface->SetBltRect(&corner), ZK_OK);
    surface->GetBltRect(&blit);
    EXPECT_EQ(blit, (RECT{0, 0, 20, 20}));
    EXPECT_EQ(surface->SetBltRect(nullptr), ZK_OK);
    surface->GetBltRect(&blit);
    EXPECT_EQ(blit, (RECT{0, 0, 100, 50}));
    // A fractional blit rectangle is reported covering it.
    surface->bltRect = tessary::RectF{0.5f, 0.5f, 10.0f, 10.0f};
    surface->GetBltRect(&blit);
    EXPECT_EQ(blit, (RECT{0, 0, 11, 11}));
}

TEST_F(SurfaceState, ClipRegionIsACopyInBothDirections)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(100, 50);
    HostRegion host({{0, 0, 10, 10}, {20, 20, 30, 30}});
    EXPECT_EQ(surface->SetClipRegion(&host.region), ZK_OK);
    // Changing the host's region afterwards does not reach the surface.
    SetRectRgn(host.region.handle, 0, 0, 1, 1);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 10, 10}, {20, 20, 30, 30}}));

    // GetClipRegion replaces the caller's shape and drops the caller's GDI+ copy of the old one.
    HostRegion out({{40, 40, 60, 60}});
    out.region.gdiplusRegion = new Gdiplus::Region();
    EXPECT_EQ(surface->GetClipRegion(&out.region), ZK_OK);
    EXPECT_EQ(out.region.gdiplusRegion, nullptr);
    EXPECT_TRUE(RegionIs(out.region.handle, {{0, 0, 10, 10}, {20, 20, 30, 30}}));
    SetRectRgn(out.region.handle, 0, 0, 0, 0);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 10, 10}, {20, 20, 30, 30}}));

    // Null is the whole surface again; a cached GDI+ copy of the clip region is dropped on change.
    surface->clipRegion.gdiplusRegion = new Gdiplus::Region();
    EXPECT_EQ(surface->SetClipRegion(nullptr), ZK_OK);
    EXPECT_EQ(surface->clipRegion.gdiplusRegion, nullptr);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 100, 50}}));
}

TEST_F(SurfaceState, ResizeEndsTheOpenPassAndReplacesTheTargetKeepingBlitAndClip)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(100, 50);
    const RECT blit{5, 5, 50, 40};
    surface->SetBltRect(&blit);
    HostRegion clip({{0, 0, 60, 30}});
    surface->SetClipRegion(&clip.region);
    ASSERT_EQ(surface->FillRect(0xFF0000FFu, nullptr), ZK_OK);
    ASSERT_EQ(surface->drawing, 1u);
    surface->opacityBuffer = new uint8_t[100 * 50];
    surface->opacityBufferWidth = 100;
    surface->opacityBufferHeight = 50;
    surface->modified = 0;
    const SoftD2DCounters before = Control().Counters();

    const SIZE larger{200, 80};
    EXPECT_EQ(surface->Resize(&larger), ZK_OK);
    if (Control().Present()) {
        EXPECT_EQ(Control().Counters().endDraw, before.endDraw + 1) << "the old pass is ended first";
    }
    EXPECT_EQ(surface->drawing, 0u);
    SIZE size{};
    surface->GetSize(&size);
    EXPECT_EQ(size.cx, 200);
    EXPECT_EQ(size.cy, 80);
    const D2D1_SIZE_U pixels = surface->ownTarget->GetPixelSize();
    EXPECT_EQ(pixels.width, 200u);
    EXPECT_EQ(pixels.height, 80u);
    EXPECT_EQ(surface->modified, 1u);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 200, 80}}));
    EXPECT_TRUE(SameRect(surface->updateBox, 0, 0, 200, 80));
    RECT after{};
    surface->GetBltRect(&after);
    EXPECT_EQ(after, (RECT{5, 5, 50, 40}));
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 60, 30}}));
    EXPECT_EQ(surface->opacityBuffer, nullptr);
    // The new target starts transparent: the old pixels are not carried over.
    const std::vector<uint32_t> fresh = ReadPixels(surface);
    ASSERT_EQ(fresh.size(), 200u * 80u);
    EXPECT_EQ(fresh[0], 0u);
}

TEST_F(SurfaceState, AResizeWhoseTargetFailsLeavesACreatedSurfaceThatRefusesToDraw)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(30, 30);
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_COMPATIBLE_TARGET, 1, E_OUTOFMEMORY), S_OK);
    const SIZE size{40, 20};
    EXPECT_EQ(surface->Resize(&size), ZK_FAIL);
    EXPECT_EQ(surface->IsCreated(), 1u);
    EXPECT_EQ(surface->ownTarget, nullptr);
    SIZE reported{};
    EXPECT_EQ(surface->GetSize(&reported), ZK_OK);
    EXPECT_EQ(reported.cx, 40) << "the new size stays";
    EXPECT_EQ(surface->FillRect(0xFF00FF00u, nullptr), ZK_FAIL);
    EXPECT_EQ(surface->ClearRect(nullptr, 0), ZK_FAIL);
    EXPECT_EQ(surface->GetRenderTarget(), nullptr);
    // A later successful Resize repairs it.
    EXPECT_EQ(surface->Resize(&size), ZK_OK);
    EXPECT_EQ(surface->FillRect(0xFF00FF00u, nullptr), ZK_OK);
    EXPECT_EQ(ReadPixels(surface).at(0), 0xFF00FF00u);
}

TEST_F(SurfaceState, ResetDataReleasesEverythingButTheWindowKeyAndAllowsANewCreate)
{
    const LONG liveBefore = Control().liveObjectCount ? Control().liveObjectCount() : 0;
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(16, 16);
    surface->FillRect(0xFF123456u, nullptr); // leaves a pass open
    surface->SetUpdateOnClear(1);
    surface->opacityBuffer = new uint8_t[16 * 16];
    surface->opacityBufferWidth = surface->opacityBufferHeight = 16;
    surface->gdiplusBitmap = new Gdiplus::Bitmap(16, 16, PixelFormat32bppARGB);
    surface->gdiplusUpload = 1;
    surface->updateRegion.gdiplusRegion = new Gdiplus::Region();

    EXPECT_EQ(surface->ResetData(), ZK_OK);
    EXPECT_EQ(surface->IsCreated(), 0u);
    EXPECT_EQ(surface->ownTarget, nullptr);
    EXPECT_EQ(surface->maskedCopy, nullptr);
    EXPECT_EQ(surface->gdiplusBitmap, nullptr);
    EXPECT_EQ(surface->opacityBuffer, nullptr);
    EXPECT_EQ(surface->gdiplusUpload, 0u);
    EXPECT_EQ(surface->updateRegion.gdiplusRegion, nullptr);
    EXPECT_EQ(surface->drawing, 0u);
    EXPECT_EQ(surface->updateOnClear, 0u);
    EXPECT_EQ(surface->modified, 1u);
    EXPECT_TRUE(SameRect(surface->surfaceRect, 0, 0, 0, 0));
    EXPECT_TRUE(SameRect(surface->updateBox, 0, 0, 0, 0));
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {}));
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {}));
    EXPECT_EQ(surface->windowKey, kWindowKey);
    SIZE size{};
    EXPECT_EQ(surface->GetSize(&size), ZK_FAIL);
    if (Control().liveObjectCount) { // the brush stays in the process-wide cache
        EXPECT_LE(Control().liveObjectCount(), liveBefore + 1) << "the own target was released";
    }

    const ZkSurfaceCreateInfo record = SurfaceRecord(8, 4);
    EXPECT_EQ(surface->Create(&record), ZK_OK);
    EXPECT_EQ(surface->GetSize(&size), ZK_OK);
    EXPECT_EQ(size.cx, 8);
    EXPECT_TRUE(RegionIs(surface->clipRegion.handle, {{0, 0, 8, 4}}));
}

TEST_F(SurfaceState, ReleasingASurfaceFreesItsDeviceResourcesAndItsRegistryEntry)
{
    REQUIRE_SOFTD2D_CONTROL();
    NewSurface(4, 4)->FillRect(0xFF0000FFu, nullptr); // the red brush is cached before counting
    const LONG liveBefore = Control().liveObjectCount();
    const size_t objectsBefore = tessary::Objects().size();
    auto* surface = new Class_ZkGraphicSurfaceD2D;
    EXPECT_EQ(tessary::Objects().size(), objectsBefore + 1);
    const ZkSurfaceCreateInfo record = SurfaceRecord(32, 32);
    ASSERT_EQ(surface->Create(&record), ZK_OK);
    surface->FillRect(0xFF0000FFu, nullptr);
    EXPECT_GT(Control().liveObjectCount(), liveBefore);
    // Released without ResetData, as a careless host would.
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(Control().liveObjectCount(), liveBefore);
    EXPECT_EQ(tessary::Objects().size(), objectsBefore);
}
