#pragma once
// Fills an axis-aligned device rectangle with a solid colour or a sampled image, optionally
// through an alpha mask. Every drawing call of a render target ends up here.
#include "kernels.h"
#include "surface.h"

namespace softd2d {

// Where each device pixel samples an image: texel coordinate = scale * device coordinate
// + offset on each axis (pixel centres at +0.5 on both sides). Only texels inside the region
// are read; coordinates outside it are clamped to its edge.
struct ImageMapping {
    const Surface* image = nullptr;
    int regionLeft = 0, regionTop = 0, regionRight = 0, regionBottom = 0;
    double scaleX = 1, offsetX = 0, scaleY = 1, offsetY = 0;
    bool linear = false;
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
    uint8_t* mask = nullptr;
    uint8_t* maskScaled = nullptr;
    int32_t* maskIndex0 = nullptr;
    int32_t* maskIndex1 = nullptr;
    uint16_t* maskWeight = nullptr;

private:
    void* block_ = nullptr;
    int capacity_ = 0;
};

// Fills `area` (device pixels, already inside the target and the clip) with `paint`, times
// the alpha of `mask` when given. Edges off the pixel grid get their fractional coverage.
void FillArea(const Surface& target, const RectD& area, const Paint& paint,
              const ImageMapping* mask, Operator op, Scratch& scratch, const Kernels& kernels);

}  // namespace softd2d
