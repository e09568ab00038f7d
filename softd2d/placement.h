#pragma once
// From Direct2D coordinates (DIPs under a world transform) to device pixels. Drawing
// supports transforms that keep rectangles axis-aligned: scales, flips and translations.
#include <d2d1.h>

#include "raster/surface.h"

namespace softd2d {

// device = scale * coordinate + offset, per axis.
struct AxisMap {
    double scaleX = 1, offsetX = 0, scaleY = 1, offsetY = 0;

    double X(double x) const { return scaleX * x + offsetX; }
    double Y(double y) const { return scaleY * y + offsetY; }
    // The map applied first, then this one.
    AxisMap After(const AxisMap& first) const {
        return {first.scaleX * scaleX, first.offsetX * scaleX + offsetX,
                first.scaleY * scaleY, first.offsetY * scaleY + offsetY};
    }
    bool Invertible() const { return scaleX != 0 && scaleY != 0; }
};

// False for rotations and skews.
bool ToAxisMap(const D2D1_MATRIX_3X2_F& m, AxisMap* out);
AxisMap DpiMap(float dpiX, float dpiY);
// Normalised device rectangle of `r` under `map`.
RectD MapRect(const AxisMap& map, const D2D1_RECT_F& r);
// Device bounding box of `r` under any transform, then the DPI scale.
RectD BoundingBox(const D2D1_MATRIX_3X2_F& m, float dpiX, float dpiY, const D2D1_RECT_F& r);

D2D1_MATRIX_3X2_F IdentityMatrix();

}  // namespace softd2d
