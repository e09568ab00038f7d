#pragma once
// Text on the software targets: DirectWrite lays out and rasterizes glyphs, these helpers turn
// its alpha textures into coverage masks, and a text renderer of our own replays a layout as
// glyph runs and filled decoration rectangles on a render target.
#include <d2d1.h>
#include <dwrite.h>

#include <cstdint>
#include <vector>

#include "glyph_cache.h"
#include "raster/rasterizer.h"

namespace softd2d {

// The process's shared DirectWrite factory, made at the first call that needs one and kept for
// the life of the process; null when dwrite.dll cannot provide it (a later call tries again).
IDWriteFactory* SharedDWriteFactory();

// One coverage byte per device pixel of `bounds`, 255 = fully covered.
class GlyphCoverage {
public:
    bool Empty() const { return bounds_.left >= bounds_.right || bounds_.top >= bounds_.bottom; }
    const RECT& Bounds() const { return bounds_; }
    RectD DeviceRect() const { return {double(bounds_.left), double(bounds_.top), double(bounds_.right), double(bounds_.bottom)}; }
    // The coverage one to one at its device position.
    MaskPlacement Placement() const { return {&surface_, int(bounds_.left), int(bounds_.top)}; }

    // Rasterizes `run` with its baseline origin at `origin` (device pixels), keeping only the pixels
    // inside `limit`; composed from the glyphs of `glyphs`.
    HRESULT Rasterize(IDWriteFactory* factory, GlyphCache& glyphs, const DWRITE_GLYPH_RUN& run, D2D1_POINT_2F origin,
                      DWRITE_MEASURING_MODE measuring, const RECT& limit);

private:
    RECT bounds_{};
    std::vector<uint8_t> alpha_;
    Surface surface_;
};

// Replays a layout on `target` with `brush`: glyph runs through DrawGlyphRun, underlines and
// strikethroughs as filled rectangles. Tessary's layouts carry no drawing effects and no inline
// objects; either makes the drawing fail with D2DERR_UNSUPPORTED_OPERATION.
HRESULT DrawLayoutOn(ID2D1RenderTarget* target, D2D1_POINT_2F origin, IDWriteTextLayout* layout, ID2D1Brush* brush);

}  // namespace softd2d
