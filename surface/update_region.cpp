// The surface's update region: rectangles and regions join it, readers fold what is pending first.
#include "surface/region.h"
#include "surface/region_builder.h"
#include "surface/surface.h"
#include <algorithm>
#include <new>

using namespace tessary;

namespace {

// A small update region is united at once, so that it is exact between operations; a large one (a
// frame's worth of labels and fills) is where each union costs a rewrite of the whole region.
constexpr uint32_t kExactUpdateAdds = 16;

// A surface that nobody presents (drawn into and copied from) never has its region read: pending
// rectangles are folded in once this many wait, so that their memory stays bounded.
constexpr size_t kMaxPendingUpdates = 1024;

// GDI clamps region coordinates to 27 bits; a rectangle beyond that takes the exact path, so that
// the folded region is clamped exactly as SetRectRgn clamps it.
constexpr LONG kBatchLimit = 1 << 26;

bool Batchable(const RECT& r)
{
    return r.left > -kBatchLimit && r.top > -kBatchLimit && r.right < kBatchLimit && r.bottom < kBatchLimit;
}

void Unite(RECT& bounds, const RECT& rect)
{
    bounds = RECT{std::min(bounds.left, rect.left), std::min(bounds.top, rect.top),
                  std::max(bounds.right, rect.right), std::max(bounds.bottom, rect.bottom)};
}

} // namespace

void Class_ZkGraphicSurfaceD2D::AddToUpdateRegion(const RECT& rect)
{
    // GDI would normalise an inverted rectangle: those take the general path.
    if (rect.left > rect.right || rect.top > rect.bottom) {
        SetRectRgn(updateRegion.scratch, rect.left, rect.top, rect.right, rect.bottom);
        AddToUpdateRegion(updateRegion.scratch);
        return;
    }
    const bool empty = rect.left == rect.right || rect.top == rect.bottom;
    if (updateAdds >= kExactUpdateAdds && Batchable(rect)) {
        if (!empty) {
            try {
                pendingUpdates.push_back(rect);
            } catch (const std::bad_alloc&) {
                FoldUpdateRegion();
                SetRectRgn(updateRegion.scratch, rect.left, rect.top, rect.right, rect.bottom);
                AddToUpdateRegion(updateRegion.scratch);
                return;
            }
            DropGdiplusRegion(updateRegion);
            if (pendingUpdates.size() >= kMaxPendingUpdates)
                FoldUpdateRegion();
            if (IsRectEmpty(&updateBounds))
                updateBounds = rect;
            else
                Unite(updateBounds, rect);
        }
        updateBox = BoxOf(updateBounds);
        return;
    }
    RECT box{};
    const int kind = GetRgnBox(updateRegion.handle, &box);
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
            Unite(box, rect);
    } else if (kind == NULLREGION) {
        box = RECT{};
    }
    updateBox = BoxOf(box);
    updateBounds = box;
    ++updateAdds;
}

void Class_ZkGraphicSurfaceD2D::AddToUpdateRegion(HRGN region)
{
    FoldUpdateRegion();
    CombineRgn(updateRegion.handle, updateRegion.handle, region, RGN_OR);
    DropGdiplusRegion(updateRegion);
    RECT box{};
    GetRgnBox(updateRegion.handle, &box);
    updateBox = BoxOf(box);
    updateBounds = box;
}

void Class_ZkGraphicSurfaceD2D::EmptyUpdateRegion()
{
    SetRectRgn(updateRegion.handle, 0, 0, 0, 0);
    DropGdiplusRegion(updateRegion);
    updateBox = RectF{};
    ForgetUpdateAdditions();
}

void Class_ZkGraphicSurfaceD2D::ForgetUpdateAdditions()
{
    pendingUpdates.clear();
    updateBounds = RECT{};
    updateAdds = 0;
}

void Class_ZkGraphicSurfaceD2D::FoldUpdateRegion()
{
    if (pendingUpdates.empty())
        return;
    // Overlapping rectangles: small chunks keep each union short (16 measured best for a frame's worth).
    RegionBuilder builder(16);
    for (const RECT& r : pendingUpdates)
        builder.Add(r);
    HRGN pending = builder.Finish();
    const bool united = pending && CombineRgn(updateRegion.handle, updateRegion.handle, pending, RGN_OR) != ERROR;
    if (pending)
        DeleteObject(pending);
    if (!united) {
        for (const RECT& r : pendingUpdates) {
            SetRectRgn(updateRegion.scratch, r.left, r.top, r.right, r.bottom);
            CombineRgn(updateRegion.handle, updateRegion.handle, updateRegion.scratch, RGN_OR);
        }
    }
    pendingUpdates.clear();
}
