// FillRect, ClearRect and ClearRegion: pixels read back, the clip region honoured piece by piece,
// and the update region as later copies and presentation rely on it.
#include "surface_fixture.h"
#include <gdiplus.h>

using namespace surface_test;

class Fills : public SurfaceTest {};

TEST_F(Fills, FillRectBlendsAColourThroughTheClipRegion)
{
    // Opaque red over the whole 10 x 10 surface: every pixel red.
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(10, 10);
    surface->ClearRect(nullptr, 0);
    surface->modified = 0;
    EXPECT_EQ(surface->FillRect(kOpaqueRed, nullptr), ZK_OK);
    EXPECT_EQ(FlagsOf(surface), (Flags{1, 0, 1})) << "the pass stays open after a fill";
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 10, 10}}));
    EXPECT_EQ(surface->updateBox.width, 10.0f);
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 10, 10, kRedPixel));

    // Half-transparent blue over part of it blends: alpha 128 + 127, red 255 x 127/255, blue 128.
    const RECT part{2, 3, 5, 7};
    EXPECT_EQ(surface->FillRect(0x80FF0000u, &part), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 10, 10, kRedPixel, {{part, 0xFF7F0080u, 1}}));

    // A clip region of two rectangles: pixels and update region only there.
    Class_ZkGraphicSurfaceD2D* clipped = NewSurface(20, 10);
    clipped->ClearRect(nullptr, 0);
    HostRegion clip({{0, 0, 4, 4}, {10, 5, 14, 10}});
    clipped->SetClipRegion(&clip.region);
    EXPECT_EQ(clipped->FillRect(kOpaqueRed, nullptr), ZK_OK);
    EXPECT_TRUE(RegionIs(clipped->updateRegion.handle, {{0, 0, 4, 4}, {10, 5, 14, 10}}));
    EXPECT_TRUE(PixelsAre(ReadPixels(clipped), 20, 10, 0, {{{0, 0, 4, 4}, kRedPixel}, {{10, 5, 14, 10}, kRedPixel}}));

    // Between the clip rectangles, or inverted (an empty area, not GDI's normalised rectangle, which would
    // meet the clip): nothing drawn, modified untouched, the update region and its box unchanged.
    clipped->modified = 0;
    const RECT between{4, 0, 10, 5}, inverted{14, 10, 10, 5};
    EXPECT_EQ(clipped->FillRect(kOpaqueRed, &between), ZK_OK);
    EXPECT_EQ(clipped->FillRect(kOpaqueRed, &inverted), ZK_OK);
    EXPECT_EQ(FlagsOf(clipped), (Flags{0, 0, 0}));
    EXPECT_TRUE(RegionIs(clipped->updateRegion.handle, {{0, 0, 4, 4}, {10, 5, 14, 10}}));
    EXPECT_EQ(clipped->updateBox.width, 14.0f);

    // Alpha 0 changes no pixel, yet counts as drawn.
    ForgetUpdates(clipped);
    const RECT top{0, 0, 20, 2};
    EXPECT_EQ(clipped->FillRect(0x00FFFFFFu, &top), ZK_OK);
    EXPECT_EQ(clipped->modified, 1u);
    EXPECT_TRUE(RegionIs(clipped->updateRegion.handle, {{0, 0, 4, 2}}));
    EXPECT_TRUE(PixelsAre(ReadPixels(clipped), 20, 10, 0, {{{0, 0, 4, 4}, kRedPixel}, {{10, 5, 14, 10}, kRedPixel}}));
}

TEST_F(Fills, BrushesAreCachedPerColourValueAcrossSurfaces)
{
    REQUIRE_SOFTD2D_CONTROL();
    Class_ZkGraphicSurfaceD2D* first = NewSurface(4, 4);
    Class_ZkGraphicSurfaceD2D* second = NewSurface(4, 4);
    // Colours of this test alone, so the cache holds none of them yet.
    const LONG start = Control().liveObjectCount();
    EXPECT_EQ(first->FillRect(0x80FE0000u, nullptr), ZK_OK);
    EXPECT_EQ(Control().liveObjectCount(), start + 1);
    // The same value again, on another surface too: no new brush.
    EXPECT_EQ(first->FillRect(0x80FE0000u, nullptr), ZK_OK);
    EXPECT_EQ(second->FillRect(0x80FE0000u, nullptr), ZK_OK);
    EXPECT_EQ(Control().liveObjectCount(), start + 1);
    EXPECT_TRUE(Near(ReadPixels(second).at(0), 0x8000007Fu)) << "a brush of another target draws here";
    // The same blue opaque is another value, so another brush.
    EXPECT_EQ(first->FillRect(0xFFFE0000u, nullptr), ZK_OK);
    EXPECT_EQ(Control().liveObjectCount(), start + 2);

    // No brush can be made: refused, the published flag already cleared, nothing drawn.
    first->EndDrawPass();
    first->published = 1;
    first->modified = 0;
    ASSERT_EQ(Control().failNextCreate(SOFTD2D_RESOURCE_BRUSH, 1, E_OUTOFMEMORY), S_OK);
    EXPECT_EQ(first->FillRect(0xFF00FE00u, nullptr), ZK_FAIL);
    EXPECT_EQ(FlagsOf(first), (Flags{0, 0, 0}));
    // The failure was not cached: the colour works once the device can make brushes again.
    EXPECT_EQ(first->FillRect(0xFF00FE00u, nullptr), ZK_OK);
    EXPECT_EQ(ReadPixels(first).at(0), 0xFF00FE00u);
}

TEST_F(Fills, ClearRectAndClearRegionReplacePixelsPerClipRectangleAndEmptyTheUpdateRegionUnlessAsked)
{
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(10, 10);
    surface->FillRect(kOpaqueRed, nullptr);

    // A half-transparent clear replaces rather than blends.
    const RECT corner{0, 0, 5, 5};
    surface->modified = 0;
    EXPECT_EQ(surface->ClearRect(&corner, 0x80FF0000u), ZK_OK);
    EXPECT_EQ(FlagsOf(surface), (Flags{1, 0, 0})) << "the cleared pixels are in the bitmap on return";
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 10, 10, kRedPixel, {{corner, 0x80000080u, 1}}));
    // With the flag 0 the whole update region went, the red outside the corner included.
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {}));
    EXPECT_EQ(surface->updateBox.width, 0.0f);

    // With the flag 1 the cleared area, clipped, joins the update region instead.
    surface->SetUpdateOnClear(1);
    HostRegion clip({{0, 0, 3, 10}});
    surface->SetClipRegion(&clip.region);
    EXPECT_EQ(surface->ClearRect(&corner, 0), ZK_OK);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 3, 5}}));
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 10, 10, kRedPixel, {{corner, 0x80000080u, 1}, {{0, 0, 3, 5}, 0}}));

    // A null rectangle and colour 0 with the flag 0: all transparent, update region and box empty.
    surface->SetUpdateOnClear(0);
    surface->SetClipRegion(nullptr);
    EXPECT_EQ(surface->ClearRect(nullptr, 0), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 10, 10, 0));
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {}));
    EXPECT_TRUE(surface->updateBox.x == 0.0f && surface->updateBox.height == 0.0f);

    // Through a clip region of two rectangles: each is cleared, nothing between them.
    surface->FillRect(kOpaqueRed, nullptr);
    HostRegion two({{0, 0, 4, 4}, {6, 5, 10, 10}});
    surface->SetClipRegion(&two.region);
    EXPECT_EQ(surface->ClearRect(nullptr, 0xFF00FF00u), ZK_OK);
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 10, 10, kRedPixel,
                          {{{0, 0, 4, 4}, 0xFF00FF00u}, {{6, 5, 10, 10}, 0xFF00FF00u}}));

    // ClearRegion, with a region larger than the clip region: the host's object is reduced to the
    // intersection and its GDI+ copy dropped.
    surface->FillRect(kOpaqueRed, nullptr);
    HostRegion band({{0, 0, 6, 10}});
    surface->SetClipRegion(&band.region);
    HostRegion host({{2, 2, 8, 4}, {4, 6, 12, 12}});
    host.region.gdiplusRegion = new Gdiplus::Region();
    surface->modified = 0;
    EXPECT_EQ(surface->ClearRegion(&host.region), ZK_OK);
    EXPECT_TRUE(RegionIs(host.region.handle, {{2, 2, 6, 4}, {4, 6, 6, 10}}));
    EXPECT_EQ(host.region.gdiplusRegion, nullptr);
    EXPECT_EQ(FlagsOf(surface), (Flags{1, 0, 0}));
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {})) << "update-on-clear is 0";
    EXPECT_TRUE(PixelsAre(ReadPixels(surface), 10, 10, kRedPixel, {{{2, 2, 6, 4}, 0}, {{4, 6, 6, 10}, 0}}));

    // With the flag 1 the clipped region joins the update region.
    surface->SetUpdateOnClear(1);
    HostRegion more({{0, 0, 1, 1}, {8, 8, 9, 9}});
    EXPECT_EQ(surface->ClearRegion(&more.region), ZK_OK);
    EXPECT_TRUE(RegionIs(surface->updateRegion.handle, {{0, 0, 1, 1}}));

    // A null region is refused and nothing changes.
    surface->published = 1;
    EXPECT_EQ(surface->ClearRegion(nullptr), ZK_FAIL);
    EXPECT_EQ(surface->published, 1u);
}

TEST_F(Fills, ManyFillsMakeTheUpdateRegionOfEachUnitedAtOnce)
{
    // Past the first sixteen rectangles further ones wait and are united in chunks when the region is read;
    // 70 scattered, overlapping ones fill chunks joined at two levels and a part chunk. Present sends the
    // region's rectangles in GDI's order, so they must be those of uniting each rectangle as it came.
    Class_ZkGraphicSurfaceD2D* surface = NewSurface(200, 200);
    ForgetUpdates(surface);
    const RECT kSpot{190, 190, 199, 199};
    HRGN expected = CreateRectRgn(0, 0, 0, 0), one = CreateRectRgn(0, 0, 0, 0);
    for (int i = 0; i < 70; ++i) {
        const RECT r{i * 37 % 180, i * 53 % 180, i * 37 % 180 + 5 + i % 17, i * 53 % 180 + 4 + i % 13};
        ASSERT_EQ(surface->FillRect(kOpaqueRed, &r), ZK_OK);
        SetRectRgn(one, r.left, r.top, r.right, r.bottom);
        CombineRgn(expected, expected, one, RGN_OR);
    }
    RECT box{};
    GetRgnBox(expected, &box);
    EXPECT_EQ(surface->updateBox, (tessary::RectF{float(box.left), float(box.top), float(box.right - box.left),
                                                  float(box.bottom - box.top)})) << "exact before the region is read";
    surface->FoldUpdateRegion();
    EXPECT_EQ(RegionRects(surface->updateRegion.handle), RegionRects(expected));

    // Drawn and never presented, a surface keeps its waiting rectangles bounded.
    for (int i = 0; i < 3000; ++i)
        surface->FillRect(kOpaqueRed, &kSpot);
    EXPECT_LE(surface->pendingUpdates.size(), 1024u);
    surface->FoldUpdateRegion();
    SetRectRgn(one, kSpot.left, kSpot.top, kSpot.right, kSpot.bottom);
    CombineRgn(expected, expected, one, RGN_OR);
    EXPECT_EQ(RegionRects(surface->updateRegion.handle), RegionRects(expected));
    DeleteObject(one);
    DeleteObject(expected);
}
