#include "window/dirty_rectangles.h"
#include <algorithm>

namespace tessary::window {

namespace {

constexpr size_t kMaxGreedyPieces = 64;

int64_t Area(const RECT& r) { return int64_t(r.right - r.left) * (r.bottom - r.top); }

RECT Bounds(const RECT& a, const RECT& b)
{
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// Pixels sent beyond the two pieces' own when they go as one rectangle (negative when they overlap).
int64_t AddedByMerging(const RECT& a, const RECT& b) { return Area(Bounds(a, b)) - Area(a) - Area(b); }

} // namespace

void ChooseDirtyRectangles(const std::vector<RECT>& rects, std::vector<RECT>& out)
{
    out.clear();
    if (rects.empty())
        return;

    // One call is the cheapest choice whenever the bounding box adds less than a call's worth: any
    // choice of two or more calls costs at least two calls plus the rectangles' own pixels.
    RECT box = rects.front();
    int64_t area = 0;
    for (const RECT& r : rects) {
        box = Bounds(box, r);
        area += Area(r);
    }
    if (Area(box) - area <= kCallCostInPixels) {
        out.push_back(box);
        return;
    }

    // Runs of neighbours first, so the greedy pass below sees at most kMaxGreedyPieces pieces.
    const size_t pieces = std::min(rects.size(), kMaxGreedyPieces);
    for (size_t piece = 0; piece < pieces; ++piece) {
        const size_t first = piece * rects.size() / pieces, end = (piece + 1) * rects.size() / pieces;
        RECT bounds = rects[first];
        for (size_t i = first + 1; i < end; ++i)
            bounds = Bounds(bounds, rects[i]);
        out.push_back(bounds);
    }

    while (out.size() > 1) {
        size_t best = 0;
        int64_t bestAdded = AddedByMerging(out[0], out[1]);
        for (size_t i = 1; i + 1 < out.size(); ++i) {
            const int64_t added = AddedByMerging(out[i], out[i + 1]);
            if (added < bestAdded) {
                best = i;
                bestAdded = added;
            }
        }
        if (out.size() <= kMaxCallsPerPresent && bestAdded >= kCallCostInPixels)
            break;
        out[best] = Bounds(out[best], out[best + 1]);
        out.erase(out.begin() + std::ptrdiff_t(best) + 1);
    }
}

} // namespace tessary::window
