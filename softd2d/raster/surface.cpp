#include "surface.h"

#include <algorithm>
#include <cmath>

namespace softd2d {

RectD Intersect(const RectD& a, const RectD& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

RectD SnapToPixelCentres(const RectD& r) {
    return {std::ceil(r.left - 0.5), std::ceil(r.top - 0.5), std::ceil(r.right - 0.5),
            std::ceil(r.bottom - 0.5)};
}

bool HasNaN(const RectD& r) {
    return std::isnan(r.left) || std::isnan(r.top) || std::isnan(r.right) || std::isnan(r.bottom);
}

}  // namespace softd2d
