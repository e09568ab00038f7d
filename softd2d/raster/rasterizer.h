#pragma once
// Fills an axis-aligned device rectangle with a solid colour or a sampled image, optionally
// through an alpha mask. Every drawing call of a render target ends up here.
#include "kernels.h"
#include "surface.h"

namespace softd2d {

// Where each device pixel samples an image, with linear filtering: texel coordinate = scale *
// device coordinate + offset on each axis (pixel centres at +0.5 on both sides). Only texels inside
// the region are read; coordinates outside it are clamped to its edge.
struct ImageMapping {
    const Surface* image = nullptr;
    int regionLeft = 0, regionTop = 0, regionRight = 0, regionBottom = 0;
    double scaleX = 1, offsetX = 0, scaleY = 1, offsetY = 0;
};

// An A8 mask placed one to one on the device: its texel (x, y) covers device pixel (x + left, y + top).
struct MaskPlacement {
    const Surface* alpha = nullptr;
    int left = 0, top = 0;
};

struct Paint {
    bool solid = true;
    uint32_t color = 0;    // premultiplied BGRA, when solid
    ImageMapping image;    // premultiplied BGRA image, when not solid
    float opacity = 1.0f;  // multiplies the image
};

enum class Operator { SourceOver, Copy };

// Working memory of one render target, sized once for its width so that drawing never
// allocates.
class Scratch {
public:
    Scratch() = default;
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch();

    // False when memory runs out; the previous buffers then stay.
    bool Reserve(int columns);
    int Capacity() const { return capacity_; }

    uint32_t* color = nullptr;
    uint32_t* rows[2] = {nullptr, nullptr};
    int32_t* index0 = nullptr;
    int32_t* index1 = nullptr;
    uint16_t* weight = nullptr;

private:
    void* block_ = nullptr;
    int capacity_ = 0;
};

// Fills `area` (device pixels, already inside the clip) with `paint`, times the alpha of `mask`
// where it lies and nowhere else when given. Edges off the pixel grid get their fractional coverage;
// masked areas and Copy are whole pixels (opacity masks are aliased, clips snapped, glyph coverage
// whole), and masked images are drawn at full opacity. An image paint reads a non-empty region.
void FillArea(const Surface& target, const RectD& area, const Paint& paint,
              const MaskPlacement* mask, Operator op, Scratch& scratch, const Kernels& kernels);

}  // namespace softd2d
