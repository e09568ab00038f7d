// Region objects (Class_ZkRegion) as the library uses them, and the walk over a region's rectangles.
// A region object always holds two valid handles while it lives; whoever changes the shape of
// `handle` drops the cached GDI+ copy, so a stale copy is never read.
#pragma once

#include <ZkTypes.h>
#include <cstdint>

namespace tessary {

// Both handles start as empty regions.
void InitRegion(Class_ZkRegion& region);
// Deletes both handles and the GDI+ region; fields nulled.
void DestroyRegion(Class_ZkRegion& region);
// Whoever changes a region's shape drops its cached GDI+ copy.
void DropGdiplusRegion(Class_ZkRegion& region);

// Sets a region to a rectangle; an inverted rectangle (right < left or bottom < top) gives the empty
// region rather than the normalised rectangle GDI would make of it.
void SetRegionToRect(HRGN region, const RECT& rect);

// A clip region with what GetRgnBox said of it (kind and box), kept by its owner while the shape stays.
struct ClipShape {
    HRGN handle;
    int kind;
    RECT box;
};

// (rect AND clip) without a region object, when the clip is one rectangle or empty: true with *out set
// to the intersection (empty when they do not meet). False when the clip has several rectangles (or is
// not usable), and the caller combines regions.
bool IntersectSimpleShape(const ClipShape& clip, const RECT& rect, RECT* out);

// The region object a drawing operation makes for the area it is about to draw, destroyed on return.
class ScopedRegion {
public:
    explicit ScopedRegion(const RECT& rect);
    ~ScopedRegion() { DestroyRegion(region); }
    ScopedRegion(const ScopedRegion&) = delete;
    ScopedRegion& operator=(const ScopedRegion&) = delete;

    Class_ZkRegion region{};
};

// Calls visit(const RECT&) for each rectangle of the region in GDI's order; returns how many there were.
// Region data of up to 1008 bytes is read into a stack buffer, so small clip regions cost no allocation.
template <class Visit>
uint32_t ForEachRegionRect(HRGN region, Visit&& visit);

// Calls visit(const RECT&) for each rectangle of (rect AND clip) in GDI's order, then done(area) with
// that intersection: a RECT when the clip is one rectangle (no region object is made), else an HRGN
// alive for the call. Returns how many rectangles were visited.
template <class Visit, class Done>
uint32_t ForEachClippedRect(const ClipShape& clip, const RECT& rect, Visit&& visit, Done&& done);

bool IsUsableRegionHandle(HRGN region);

} // namespace tessary

#include "region_walk.inl"
