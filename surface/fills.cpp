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

// Clear ignores blending, so the rectangle is cleared inside an aliased axis-aligned clip.
void ClearPiece(Class_ZkGraphicSurfaceD2D& surface, const RECT& piece, const D2D1_COLOR_F* colour)
{
    surface.modified = 1;
    surface.BeginDrawPass();
    const D2D1_RECT_F clip = RectFOf(piece);
    surface.ownTarget->PushAxisAlignedClip(&clip, D2D1_ANTIALIAS_MODE_ALIASED);
    surface.ownTarget->Clear(colour);
    surface.ownTarget->PopAxisAlignedClip();
}

// With update-on-clear off, a clear means "nothing here is worth copying any more": the whole update
// region is emptied, whatever part of the surface was cleared.
template <class Area>
void UpdateAfterClearOf(Class_ZkGraphicSurfaceD2D& surface, const Area& cleared)
{
    if (surface.updateOnClear)
        surface.AddToUpdateRegion(cleared);
    else
        surface.EmptyUpdateRegion();
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
    // The pass stays open: the fill reaches the bitmap at the next EndDrawPass. The update region
    // grows even for a transparent colour, which changes no pixel.
    ForEachClippedRect(
        ClipShape{clipRegion.handle, clipKind, clipBox}, AreaOf(rect, surfaceRect),
        [&](const RECT& piece) {
            modified = 1;
            BeginDrawPass();
            ownTarget->FillRectangle(RectFOf(piece), brush);
        },
        [&](const auto& area) { AddToUpdateRegion(area); });
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
    const D2D1_COLOR_F colourF = ColourF(colour);
    bool cleared = false;
    ForEachClippedRect(
        ClipShape{clipRegion.handle, clipKind, clipBox}, AreaOf(rect, surfaceRect),
        [&](const RECT& piece) {
            ClearPiece(*this, piece, &colourF);
            cleared = true;
        },
        [&](const auto& area) {
            if (cleared) // the pass is ended so the cleared pixels are in the bitmap on return
                EndDrawPass();
            UpdateAfterClearOf(*this, area);
        });
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

// Each rectangle is cleared on its own; the pass is ended so the cleared pixels are in the bitmap on
// return.
void Class_ZkGraphicSurfaceD2D::ClearPieces(HRGN area, const D2D1_COLOR_F* colour)
{
    const uint32_t pieces = ForEachRegionRect(area, [&](const RECT& piece) { ClearPiece(*this, piece, colour); });
    if (pieces)
        EndDrawPass();
}

void Class_ZkGraphicSurfaceD2D::UpdateAfterClear(HRGN cleared)
{
    UpdateAfterClearOf(*this, cleared);
}
