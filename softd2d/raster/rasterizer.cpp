#include "rasterizer.h"

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "pixel.h"

namespace softd2d {

Scratch::~Scratch() { _aligned_free(block_); }

bool Scratch::Reserve(int columns) {
    if (columns <= capacity_) return true;
    const size_t n = (static_cast<size_t>(columns) + 31) & ~size_t(31);
    const size_t bytes = n * (4 * 3 + 4 * 2 + 2);
    void* block = _aligned_malloc(bytes, 64);
    if (!block) return false;
    _aligned_free(block_);
    block_ = block;
    capacity_ = columns;
    uint8_t* p = static_cast<uint8_t*>(block);
    auto take = [&](size_t size) {
        uint8_t* out = p;
        p += n * size;
        return out;
    };
    color = reinterpret_cast<uint32_t*>(take(4));
    rows[0] = reinterpret_cast<uint32_t*>(take(4));
    rows[1] = reinterpret_cast<uint32_t*>(take(4));
    index0 = reinterpret_cast<int32_t*>(take(4));
    index1 = reinterpret_cast<int32_t*>(take(4));
    weight = reinterpret_cast<uint16_t*>(take(2));
    return true;
}

namespace {

constexpr double kIndexLimit = 1e9;

int64_t FloorIndex(double v) {
    if (!(v > -kIndexLimit)) return static_cast<int64_t>(-kIndexLimit);
    if (v > kIndexLimit) return static_cast<int64_t>(kIndexLimit);
    return static_cast<int64_t>(std::floor(v));
}

int Resolve(int64_t i, int lo, int hi) {
    const int64_t k = std::clamp<int64_t>(i - lo, 0, hi - lo - 1);
    return static_cast<int>(lo + k);
}

// Linear sampling point of device coordinate `pos`: left texel and weight of the right one.
void LinearTap(double scale, double offset, double pos, int64_t& texel, uint32_t& weight) {
    const double t = scale * pos + offset - 0.5;
    texel = FloorIndex(t);
    double w = std::floor((t - static_cast<double>(texel)) * 256.0 + 0.5);
    if (!(w >= 0)) w = 0;
    if (w >= 256) {
        ++texel;
        w = 0;
    }
    weight = static_cast<uint32_t>(w);
}

// True when device columns [first, last) read texels first + shift.. one to one, all inside
// [lo, hi): then rows are used in place.
bool OneToOne(double scale, double offset, int first, int last, int lo, int hi, int& shift) {
    if (scale != 1.0 || offset != std::floor(offset) || std::fabs(offset) > kIndexLimit) return false;
    shift = static_cast<int>(offset);
    return first + shift >= lo && last - 1 + shift < hi;
}

uint32_t CoverageByte(double coverage) {
    if (!(coverage > 0)) return 0;
    if (coverage >= 1) return 255;
    return static_cast<uint32_t>(coverage * 255.0 + 0.5);
}

// A device row of image colours: `a`, or a + (b - a) * w / 256 when `b` is set, a vertical
// linear step left for the blend to fuse.
struct ImageRow {
    const uint32_t* a = nullptr;
    const uint32_t* b = nullptr;
    uint32_t w = 0;
};

// Colour rows of an image for the device columns [x, x + n).
class ImageRows {
public:
    ImageRows(const ImageMapping& m, int x, int n, int yFirst, int yLast, Scratch& s,
              const Kernels& k)
        : m_(m), x_(x), n_(n), s_(s), k_(k) {
        directX_ = OneToOne(m.scaleX, m.offsetX, x, x + n, m.regionLeft, m.regionRight, shiftX_);
        directY_ = OneToOne(m.scaleY, m.offsetY, yFirst, yLast, m.regionTop, m.regionBottom, shiftY_);
        if (directX_) return;
        for (int i = 0; i < n; ++i) {
            int64_t texel;
            uint32_t w;
            LinearTap(m.scaleX, m.offsetX, x + i + 0.5, texel, w);
            int i0 = Resolve(texel, m.regionLeft, m.regionRight);
            int i1 = Resolve(texel + 1, m.regionLeft, m.regionRight);
            // A pair clamped onto one texel is rewritten as a neighbouring pair weighted
            // wholly to that texel, so clamped rows keep the one-load pair kernel.
            if (i0 == i1) {
                if (i0 + 1 < m.regionRight) {
                    i1 = i0 + 1;
                    w = 0;
                } else if (i0 - 1 >= m.regionLeft) {
                    i0 = i0 - 1;
                    w = 256;
                }
            }
            adjacent_ = adjacent_ && i1 == i0 + 1;
            s.index0[i] = i0;
            s.index1[i] = i1;
            s.weight[i] = static_cast<uint16_t>(w);
        }
    }

    ImageRow Row(int y) {
        if (directY_) return {Horizontal(y + shiftY_, -1)};
        int64_t texel;
        uint32_t w;
        LinearTap(m_.scaleY, m_.offsetY, y + 0.5, texel, w);
        const int r0 = Resolve(texel, m_.regionTop, m_.regionBottom);
        const int r1 = Resolve(texel + 1, m_.regionTop, m_.regionBottom);
        if (w == 0 || r0 == r1) return {Horizontal(r0, -1)};
        const uint32_t* a = Horizontal(r0, -1);
        return {a, Horizontal(r1, r0), w};
    }

private:
    // Source row r resampled to the device columns; `keep` names a cached row still in use.
    const uint32_t* Horizontal(int r, int keep) {
        const uint32_t* src = m_.image->Row32(r);
        if (directX_) return src + x_ + shiftX_;
        for (int i = 0; i < 2; ++i) {
            if (tag_[i] == r) {
                lastUsed_ = i;
                return s_.rows[i];
            }
        }
        int slot = 1 - lastUsed_;
        if (tag_[slot] == keep && keep != -1) slot = lastUsed_;
        if (adjacent_) k_.scaleRowLinearAdjacent(s_.rows[slot], src, s_.index0, s_.weight, n_);
        else k_.scaleRowLinear(s_.rows[slot], src, s_.index0, s_.index1, s_.weight, n_);
        tag_[slot] = r;
        lastUsed_ = slot;
        return s_.rows[slot];
    }

    const ImageMapping& m_;
    int x_, n_;
    Scratch& s_;
    const Kernels& k_;
    bool directX_ = false, directY_ = false;
    bool adjacent_ = true;  // every linear pair is two neighbouring texels
    int shiftX_ = 0, shiftY_ = 0;
    int tag_[2] = {-1, -1};
    int lastUsed_ = 1;
};

struct Span {
    int offset, length;
    uint32_t m;
};

void DrawSolidSpan(uint32_t* d, int n, uint32_t color, uint32_t m, const uint8_t* mask,
                   Operator op, const Kernels& k) {
    if (op == Operator::Copy) {
        k.fill(d, n, color);
        return;
    }
    const uint32_t c = (m == 255) ? color : ScalePixel(color, m);
    if (c == 0) return;
    if (mask) k.blendSolidMasked(d, mask, n, c);
    else if (AlphaOf(c) == 255) k.fill(d, n, c);
    else k.blendSolid(d, n, c);
}

void DrawImageSpan(uint32_t* d, const uint32_t* s, int n, uint32_t m, const uint8_t* mask, const Kernels& k) {
    if (mask) k.blendRowMasked(d, s, mask, n);
    else if (m == 255) k.blendRow(d, s, n);
    else k.blendRowScaled(d, s, n, m);
}

}  // namespace

void FillArea(const Surface& target, const RectD& area, const Paint& paint,
              const MaskPlacement* mask, Operator op, Scratch& scratch, const Kernels& kernels) {
    if (target.Empty() || area.Empty() || HasNaN(area)) return;
    RectD a = Intersect(area, {0, 0, double(target.width), double(target.height)});
    if (mask)
        a = Intersect(a, {double(mask->left), double(mask->top), double(mask->left + mask->alpha->width),
                          double(mask->top + mask->alpha->height)});
    if (a.Empty()) return;
    const int xa = static_cast<int>(std::floor(a.left)), xb = static_cast<int>(std::ceil(a.right));
    const int ya = static_cast<int>(std::floor(a.top)), yb = static_cast<int>(std::ceil(a.bottom));
    const int n = xb - xa;  // at least 1, at most the target's width, which the scratch holds

    const double left = (n == 1) ? a.right - a.left : (xa + 1) - a.left;
    const double right = a.right - (xb - 1);
    const double opacity = paint.solid ? 1.0 : std::clamp(double(paint.opacity), 0.0, 1.0);

    std::optional<ImageRows> imageRows;
    if (!paint.solid) imageRows.emplace(paint.image, xa, n, ya, yb, scratch, kernels);

    for (int y = ya; y < yb; ++y) {
        const double coverY = (std::min(a.bottom, y + 1.0) - std::max(a.top, double(y))) * opacity;
        Span spans[3];
        int count = 0;
        auto add = [&](int offset, int length, double coverage) {
            const uint32_t m = CoverageByte(coverage);
            if (length <= 0 || m == 0) return;
            if (count > 0 && spans[count - 1].m == m &&
                spans[count - 1].offset + spans[count - 1].length == offset) {
                spans[count - 1].length += length;
            } else {
                spans[count++] = {offset, length, m};
            }
        };
        if (n == 1) {
            add(0, 1, left * coverY);
        } else {
            add(0, 1, left * coverY);
            add(1, n - 2, coverY);
            add(n - 1, 1, right * coverY);
        }
        if (count == 0) continue;

        uint32_t* row = target.Row32(y) + xa;
        const uint8_t* alpha = mask ? mask->alpha->Row8(y - mask->top) + (xa - mask->left) : nullptr;
        if (!imageRows) {
            for (int i = 0; i < count; ++i) {
                const Span& s = spans[i];
                DrawSolidSpan(row + s.offset, s.length, paint.color, s.m, alpha ? alpha + s.offset : nullptr, op, kernels);
            }
            continue;
        }
        const ImageRow colors = imageRows->Row(y);
        // Fully covered spans fuse the vertical step into the blend; others need the row first.
        const uint32_t* colorRow = colors.b ? nullptr : colors.a;
        for (int i = 0; i < count; ++i) {
            const Span& s = spans[i];
            if (!colorRow && !alpha && s.m == 255) {
                kernels.blendLerpRows(row + s.offset, colors.a + s.offset, colors.b + s.offset, s.length, colors.w);
                continue;
            }
            if (!colorRow) {
                kernels.lerpRows(scratch.color, colors.a, colors.b, n, colors.w);
                colorRow = scratch.color;
            }
            DrawImageSpan(row + s.offset, colorRow + s.offset, s.length, s.m, alpha ? alpha + s.offset : nullptr,
                          kernels);
        }
    }
}

}  // namespace softd2d
