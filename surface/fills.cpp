// FillRect blends a colour into a rectangle; ClearRect and ClearRegion replace pixels. All three
// draw only the rectangles of (area AND clip region), one at a time, and keep the update region in step.
#include "frame/context.h"
#include "surface/region.h"
#include "surface/surface.h"

using namespace tessary;

namespace {

// A null rectangle means the whole surface rectangle, not the blit rectangle.
RECT AreaOf(const RECT* rect, const RectF& surface)
{
    return rect ? *rect : RectOfBox(PixelBoxOf(surface));
}

} // namespace

uint32_t Class_ZkGraphicSurfaceD2D::FillRect(uint32_t colour, const RECT* rect)
{
    if (!createdFlag)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    if (!ownTarget)
        return ZK_FAIL;
    published = 0;
    ID2D1SolidColorBrush* brush = BrushForColour(colour);
    if (!brush)
        return ZK_FAIL;
    ScopedRegion area(AreaOf(rect, surfaceRect));
    CombineRgn(area.region.handle, area.region.handle, clipRegion.handle, RGN_AND);
    ForEachRegionRect(area.region.handle, [&](const RECT& piece) {
        modified = 1;
        BeginDrawPass();
        ownTarget->FillRectangle(RectFOf(piece), brush);
    });
    // The pass stays open: the fill reaches the bitmap at the next EndDrawPass. The update region
    // grows even for a transparent colour, which changes no pixel.
    AddToUpdateRegion(area.region.handle);
    return ZK_OK;
}

uint32_t Class_ZkGraphicSurfaceD2D::ClearRect(const RECT* rect, uint32_t colour)
{
    if (!createdFlag)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    if (!ownTarget)
        return ZK_FAIL;
    published = 0;
    ScopedRegion area(AreaOf(rect, surfaceRect));
    CombineRgn(area.region.handle, area.region.handle, clipRegion.handle, RGN_AND);
    const D2D1_COLOR_F colourF = ColourF(colour);
    ClearPieces(area.region.handle, &colourF);
    UpdateAfterClear(area.region.handle);
    return ZK_OK;
}

uint32_t Class_ZkGraphicSurfaceD2D::ClearRegion(Class_ZkRegion* region)
{
    if (!createdFlag || !region)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    if (!ownTarget)
        return ZK_FAIL;
    published = 0;
    // The host's own region is clipped in place and stays the host's.
    CombineRgn(region->handle, region->handle, clipRegion.handle, RGN_AND);
    DropGdiplusRegion(*region);
    ClearPieces(region->handle, nullptr);
    UpdateAfterClear(region->handle);
    return ZK_OK;
}

// Clear ignores blending, so each rectangle is cleared inside an aliased axis-aligned clip; the pass
// is ended so the cleared pixels are in the bitmap on return.
void Class_ZkGraphicSurfaceD2D::ClearPieces(HRGN area, const D2D1_COLOR_F* colour)
{
    const uint32_t pieces = ForEachRegionRect(area, [&](const RECT& piece) {
        modified = 1;
        BeginDrawPass();
        const D2D1_RECT_F clip = RectFOf(piece);
        ownTarget->PushAxisAlignedClip(&clip, D2D1_ANTIALIAS_MODE_ALIASED);
        ownTarget->Clear(colour);
        ownTarget->PopAxisAlignedClip();
    });
    if (pieces)
        EndDrawPass();
}

// With update-on-clear off, a clear means "nothing here is worth copying any more": the whole update
// region is emptied, whatever part of the surface was cleared.
void Class_ZkGraphicSurfaceD2D::UpdateAfterClear(HRGN cleared)
{
    if (updateOnClear)
        AddToUpdateRegion(cleared);
    else
        EmptyUpdateRegion();
}
