// The surface's geometry slots (size, blit rectangle, clip region) and its update region.
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
    return ZK_OK;
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

void Class_ZkGraphicSurfaceD2D::AddToUpdateRegion(const RECT& rect)
{
    // GDI would normalise an inverted rectangle: those take the general path.
    if (rect.left > rect.right || rect.top > rect.bottom) {
        SetRectRgn(updateRegion.scratch, rect.left, rect.top, rect.right, rect.bottom);
        AddToUpdateRegion(updateRegion.scratch);
        return;
    }
    RECT box{};
    const int kind = GetRgnBox(updateRegion.handle, &box);
    const bool empty = rect.left == rect.right || rect.top == rect.bottom;
    // A rectangle inside an update region that is one rectangle changes nothing: the common case once a
    // frame has touched the whole surface, answered with one region call.
    const bool inside = kind == SIMPLEREGION && rect.left >= box.left && rect.top >= box.top &&
                        rect.right <= box.right && rect.bottom <= box.bottom;
    if (!empty && !inside) {
        // The scratch handle is reused so that no region is created per call.
        SetRectRgn(updateRegion.scratch, rect.left, rect.top, rect.right, rect.bottom);
        if (CombineRgn(updateRegion.handle, updateRegion.handle, updateRegion.scratch, RGN_OR) == ERROR) {
            AddToUpdateRegion(updateRegion.scratch);
            return;
        }
        DropGdiplusRegion(updateRegion);
        // The bounds of a union are the union of the bounds: no need to ask GDI again.
        if (kind == NULLREGION)
            box = rect;
        else
            UnionRect(&box, &box, &rect);
    } else if (kind == NULLREGION) {
        box = RECT{};
    }
    updateBox = BoxOf(box);
}

void Class_ZkGraphicSurfaceD2D::AddToUpdateRegion(HRGN region)
{
    CombineRgn(updateRegion.handle, updateRegion.handle, region, RGN_OR);
    DropGdiplusRegion(updateRegion);
    RECT box{};
    GetRgnBox(updateRegion.handle, &box);
    updateBox = BoxOf(box);
}

void Class_ZkGraphicSurfaceD2D::EmptyUpdateRegion()
{
    SetRectRgn(updateRegion.handle, 0, 0, 0, 0);
    DropGdiplusRegion(updateRegion);
    updateBox = RectF{};
}
