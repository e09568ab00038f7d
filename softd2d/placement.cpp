#include "placement.h"

#include <algorithm>

namespace softd2d {

bool ToAxisMap(const D2D1_MATRIX_3X2_F& m, AxisMap* out) {
    if (m._12 != 0.0f || m._21 != 0.0f) return false;
    *out = {m._11, m._31, m._22, m._32};
    return true;
}

AxisMap DpiMap(float dpiX, float dpiY) { return {dpiX / 96.0, 0, dpiY / 96.0, 0}; }

RectD MapRect(const AxisMap& map, const D2D1_RECT_F& r) {
    const double x0 = map.X(r.left), x1 = map.X(r.right);
    const double y0 = map.Y(r.top), y1 = map.Y(r.bottom);
    return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

RectD BoundingBox(const D2D1_MATRIX_3X2_F& m, float dpiX, float dpiY, const D2D1_RECT_F& r) {
    const double xs[2] = {r.left, r.right}, ys[2] = {r.top, r.bottom};
    RectD box = {1e300, 1e300, -1e300, -1e300};
    for (double x : xs) {
        for (double y : ys) {
            const double dx = (x * m._11 + y * m._21 + m._31) * dpiX / 96.0;
            const double dy = (x * m._12 + y * m._22 + m._32) * dpiY / 96.0;
            box.left = std::min(box.left, dx);
            box.right = std::max(box.right, dx);
            box.top = std::min(box.top, dy);
            box.bottom = std::max(box.bottom, dy);
        }
    }
    return box;
}

D2D1_MATRIX_3X2_F IdentityMatrix() {
    D2D1_MATRIX_3X2_F m = {};
    m._11 = 1.0f;
    m._22 = 1.0f;
    return m;
}

}  // namespace softd2d
