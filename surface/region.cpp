// Region objects: creation, destruction and the GDI+ copy that follows every change of shape.
#include "surface/region.h"
#include <gdiplus.h>

namespace tessary {

void InitRegion(Class_ZkRegion& region)
{
    region.handle = CreateRectRgn(0, 0, 0, 0);
    region.gdiplusRegion = nullptr;
    region.scratch = CreateRectRgn(0, 0, 0, 0);
}

void DestroyRegion(Class_ZkRegion& region)
{
    if (region.handle)
        DeleteObject(region.handle);
    if (region.scratch)
        DeleteObject(region.scratch);
    region.handle = nullptr;
    region.scratch = nullptr;
    DropGdiplusRegion(region);
}

void DropGdiplusRegion(Class_ZkRegion& region)
{
    // GDI+'s own delete: GdipDeleteRegion, then the GDI+ heap free.
    delete region.gdiplusRegion;
    region.gdiplusRegion = nullptr;
}

void SetRegionToRect(HRGN region, const RECT& rect)
{
    if (rect.right < rect.left || rect.bottom < rect.top)
        SetRectRgn(region, 0, 0, 0, 0);
    else
        SetRectRgn(region, rect.left, rect.top, rect.right, rect.bottom);
}

bool IntersectSimpleShape(const ClipShape& clip, const RECT& rect, RECT* out)
{
    if (clip.kind != SIMPLEREGION && clip.kind != NULLREGION)
        return false;
    // An inverted rectangle stands for the empty region, as in SetRegionToRect.
    if (clip.kind == NULLREGION || rect.right < rect.left || rect.bottom < rect.top ||
        !IntersectRect(out, &rect, &clip.box))
        SetRectEmpty(out);
    return true;
}

ScopedRegion::ScopedRegion(const RECT& rect)
{
    InitRegion(region);
    SetRegionToRect(region.handle, rect);
}

} // namespace tessary
