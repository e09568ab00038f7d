// The surface's geometry slots (size, blit rectangle, clip region).
// Only SetBltRect takes GraphicsLock: the others read or write a few members, and the host does not
// race them with drawing.
#include "frame/context.h"
#include "surface/region.h"
#include "surface/surface.h"

using namespace tessary;

uint32_t Class_ZkGraphicSurfaceD2D::Reserved0() { return ZK_FAIL; }

uint32_t Class_ZkGraphicSurfaceD2D::Reserved1(void*) { return ZK_FAIL; }

uint32_t Class_ZkGraphicSurfaceD2D::GetSize(SIZE* size)
{
    if (!createdFlag || !size)
        return ZK_FAIL;
    size->cx = TruncateToI32(surfaceRect.width);
    size->cy = TruncateToI32(surfaceRect.height);
    return ZK_OK;
}

uint32_t Class_ZkGraphicSurfaceD2D::SetBltRect(const RECT* rect)
{
    if (!createdFlag)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    bltRect = rect ? BlitRectWithin(*rect, surfaceRect) : surfaceRect;
    return ZK_OK;
}

uint32_t Class_ZkGraphicSurfaceD2D::GetBltRect(RECT* rect)
{
    if (!createdFlag || !rect)
        return ZK_FAIL;
    *rect = PixelRect(bltRect);
    return ZK_OK;
}

// Allowed before Create: the clip region exists from construction on.
uint32_t Class_ZkGraphicSurfaceD2D::SetClipRegion(const Class_ZkRegion* region)
{
    SetRectRgn(clipRegion.handle, 0, 0, 0, 0);
    DropGdiplusRegion(clipRegion);
    if (region) {
        // A copy of the shape: the host's object stays the host's and may change freely afterwards.
        CombineRgn(clipRegion.handle, clipRegion.handle, region->handle, RGN_OR);
    } else {
        const RECT whole = PixelRect(surfaceRect);
        SetRectRgn(clipRegion.scratch, whole.left, whole.top, whole.right, whole.bottom);
        CombineRgn(clipRegion.handle, clipRegion.handle, clipRegion.scratch, RGN_OR);
    }
    DropGdiplusRegion(clipRegion);
    ClipRegionChanged();
    return ZK_OK;
}

void Class_ZkGraphicSurfaceD2D::ClipRegionChanged()
{
    clipKind = GetRgnBox(clipRegion.handle, &clipBox);
}

uint32_t Class_ZkGraphicSurfaceD2D::GetClipRegion(Class_ZkRegion* region)
{
    if (!createdFlag || !region)
        return ZK_FAIL;
    SetRectRgn(region->handle, 0, 0, 0, 0);
    DropGdiplusRegion(*region);
    CombineRgn(region->handle, region->handle, clipRegion.handle, RGN_OR);
    DropGdiplusRegion(*region);
    return ZK_OK;
}

void Class_ZkGraphicSurfaceD2D::SetUpdateOnClear(uint32_t enabled)
{
    if (createdFlag)
        updateOnClear = enabled;
}
