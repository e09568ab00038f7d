// The clipping arithmetic of surface-to-surface copies. It works on four f32 numbers before any
// GDI or Direct2D call, so a copy that misses cost nothing; being pure, it is tested without a device.
#pragma once

#include "surface/geometry.h"
#include <algorithm>

namespace tessary {

// Destination rectangle D in the target and source rectangle C in the source: always the same size.
struct BlitRects {
    RectF destination;
    RectF source;
};

// Copies `source` to `point`, bounded by the target's blit rectangle `targetBounds` and the source's
// `sourceBounds`. A negative width or height leaves both rectangles all zeros.
inline BlitRects ClipBlit(float pointX, float pointY, const RectF& source, const RectF& targetBounds,
                          const RectF& sourceBounds)
{
    const float dx = pointX - source.x, dy = pointY - source.y;
    RectF d;
    d.x = std::max(std::max(pointX, targetBounds.x), std::max(source.x, sourceBounds.x) + dx);
    d.y = std::max(std::max(pointY, targetBounds.y), std::max(source.y, sourceBounds.y) + dy);
    const float right = std::min(std::min(pointX + source.width, targetBounds.x + targetBounds.width),
                                 std::min(source.x + source.width, sourceBounds.x + sourceBounds.width) + dx);
    const float bottom = std::min(std::min(pointY + source.height, targetBounds.y + targetBounds.height),
                                  std::min(source.y + source.height, sourceBounds.y + sourceBounds.height) + dy);
    d.width = right - d.x;
    d.height = bottom - d.y;
    if (d.width < 0 || d.height < 0)
        return BlitRects{};
    return BlitRects{d, RectF{d.x - dx, d.y - dy, d.width, d.height}};
}

// A copy of `requested` to `point` may only take what the source holds: its update box `box`.
// The destination point moves with the rectangle's corner.
struct LimitedCopy {
    float pointX, pointY;
    RectF source;
};

inline LimitedCopy LimitByUpdateBox(float pointX, float pointY, const RectF& requested, const RectF& box)
{
    const float x0 = std::max(requested.x, box.x), y0 = std::max(requested.y, box.y);
    const float width = std::min(requested.x + requested.width, box.x + box.width) - x0;
    const float height = std::min(requested.y + requested.height, box.y + box.height) - y0;
    return LimitedCopy{x0 + (pointX - requested.x), y0 + (pointY - requested.y), RectF{x0, y0, width, height}};
}

// The same for a scaled copy: the requested rectangle, the update box and the source bounds are taken
// into target units first (each product in f64, stored as f32), then clipped as above.
inline BlitRects ClipScaledBlit(float pointX, float pointY, const RectF& requested, const RectF& box,
                                const RectF& targetBounds, const RectF& sourceBlit, double scaleX, double scaleY)
{
    const auto times = [](float value, double scale) { return float(double(value) * scale); };
    const float sx = times(requested.x, scaleX), sy = times(requested.y, scaleY);
    const float bx = times(box.x, scaleX), by = times(box.y, scaleY);
    const RectF bounds{times(sourceBlit.x, scaleX), times(sourceBlit.y, scaleY), times(sourceBlit.width, scaleX),
                       times(sourceBlit.height, scaleY)};
    const float x0 = std::max(sx, bx), y0 = std::max(sy, by);
    const float right = std::min(times(requested.width, scaleX) + sx, times(box.width, scaleX) + bx);
    const float bottom = std::min(times(requested.height, scaleY) + sy, times(box.height, scaleY) + by);
    return ClipBlit(x0 + (pointX - sx), y0 + (pointY - sy), RectF{x0, y0, right - x0, bottom - y0}, targetBounds,
                    bounds);
}

// The scaled source rectangle C taken back into source units, with f64 reciprocals.
inline PixelBox UnscaledSourceBox(const RectF& c, double scaleX, double scaleY)
{
    const double rx = 1.0 / scaleX, ry = 1.0 / scaleY;
    return PixelBox{TruncateToI32(std::floor(double(c.x) * rx)), TruncateToI32(std::floor(double(c.y) * ry)),
                    TruncateToI32(std::ceil(double(c.width) * rx)), TruncateToI32(std::ceil(double(c.height) * ry))};
}

} // namespace tessary
