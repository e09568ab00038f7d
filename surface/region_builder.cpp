#include "surface/region_builder.h"
#include <algorithm>
#include <iterator>

namespace tessary {

RegionBuilder::~RegionBuilder()
{
    for (HRGN level : _levels)
        if (level)
            DeleteObject(level);
}

HRGN RegionBuilder::Finish()
{
    const bool anyLevel = std::any_of(std::begin(_levels), std::end(_levels), [](HRGN level) { return level; });
    if (_count || (!_failed && !anyLevel))
        Flush(); // an empty region is still one region
    HRGN result = nullptr;
    for (HRGN& level : _levels) {
        if (!level)
            continue;
        if (!result)
            result = level;
        else if (CombineRgn(result, result, level, RGN_OR) == ERROR)
            _failed = true;
        if (level != result)
            DeleteObject(level);
        level = nullptr;
    }
    if (_failed && result) {
        DeleteObject(result);
        result = nullptr;
    }
    return result;
}

void RegionBuilder::Flush()
{
    struct {
        RGNDATAHEADER header;
        RECT rects[kMaxChunk];
    } data;
    RECT bounds{};
    for (DWORD i = 0; i < _count; ++i) {
        const RECT& r = _rects[i];
        bounds = i == 0 ? r
                        : RECT{std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                               std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom)};
    }
    const DWORD size = DWORD(sizeof(RGNDATAHEADER) + _count * sizeof(RECT));
    data.header = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, _count, DWORD(_count * sizeof(RECT)), bounds};
    std::copy(_rects, _rects + _count, data.rects);
    _count = 0;
    HRGN carry = ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(&data));
    if (!carry) {
        _failed = true;
        return;
    }
    for (HRGN& level : _levels) {
        if (!level) {
            level = carry;
            return;
        }
        if (CombineRgn(carry, carry, level, RGN_OR) == ERROR)
            _failed = true;
        DeleteObject(level);
        level = nullptr;
    }
    DeleteObject(carry); // more chunks than the counter holds: cannot happen below 2^40 chunks
    _failed = true;
}

} // namespace tessary
