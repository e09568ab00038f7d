#pragma once
// Text on the software targets: DirectWrite lays out and rasterizes glyphs, these helpers turn
// its alpha textures into coverage masks, and a text renderer of our own replays a layout as
// glyph runs and filled decoration rectangles on a render target.
#include <d2d1.h>
#include <dwrite.h>

#include <cstdint>
#include <vector>

#include "glyph_cache.h"
#include "placement.h"
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
    // Samples the coverage one to one at its device position.
    ImageMapping Mapping() const;

    // Rasterizes `run` with its baseline origin at `origin` (DIPs) mapped by `worldToDevice`,
    // keeping only the pixels inside `limit` (device pixels). DirectWrite's three ClearType
    // subpixels are averaged into grayscale. The run is
    // composed from `glyphs` where it can be, and rasterised whole by DirectWrite otherwise.
    HRESULT Rasterize(IDWriteFactory* factory, GlyphCache& glyphs, const DWRITE_GLYPH_RUN& run, D2D1_POINT_2F origin,
                      const AxisMap& worldToDevice, DWRITE_MEASURING_MODE measuring, const RECT& limit);

private:
    HRESULT RasterizeWholeRun(IDWriteFactory* factory, const DWRITE_GLYPH_RUN& run, D2D1_POINT_2F origin,
                              const AxisMap& worldToDevice, DWRITE_MEASURING_MODE measuring, const RECT& limit);

    RECT bounds_{};
    std::vector<uint8_t> alpha_;
    Surface surface_;
};

// Device pixels of a clip rectangle, widened to whole pixels.
RECT OuterPixels(const RectD& r);

// Replays a layout on `target` with `brush`: glyph runs through DrawGlyphRun, underlines and
// strikethroughs as filled rectangles. A brush given as a range's drawing effect wins over `brush`.
HRESULT DrawLayoutOn(ID2D1RenderTarget* target, D2D1_POINT_2F origin, IDWriteTextLayout* layout, ID2D1Brush* brush,
                     D2D1_DRAW_TEXT_OPTIONS options);

}  // namespace softd2d
