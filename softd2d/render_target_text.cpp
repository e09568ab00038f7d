// The text drawing calls of the render targets. DrawTextLayout replays a layout through our own text
// renderer; DrawGlyphRun blends DirectWrite's coverage of a run in the brush's paint. Errors are recorded for EndDraw, as for every drawing call.
#include "brushes.h"
#include "factory.h"
#include "render_target.h"
#include "text_rendering.h"

namespace softd2d {

template <class Interface>
void RenderTarget<Interface>::DrawGlyphRun(D2D1_POINT_2F origin, const DWRITE_GLYPH_RUN* run, ID2D1Brush* brush,
                                           DWRITE_MEASURING_MODE measuring) {
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    // Tessary draws grayscale text and never under a clip; ClearType, aliased and clipped text are
    // not drawn.
    if (textAntialiasMode_ == D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE ||
        textAntialiasMode_ == D2D1_TEXT_ANTIALIAS_MODE_ALIASED || clipPushed_)
        return Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
    if (!run || !brush || !run->fontFace || (run->glyphCount && !run->glyphIndices)) return Record(E_INVALIDARG);
    if (!OwnBrush(brush) || run->glyphCount == 0 || !pixels_) return;
    Paint paint;
    ComPtr<BrushSource> hold;
    if (!BrushPaint(brush, &paint, &hold)) return;
    GlyphCoverage coverage;
    const Surface& target = pixels_->Pixels();
    const HRESULT hr = Guarded([&] {
        return coverage.Rasterize(SharedDWriteFactory(), factory_->Glyphs(), *run, origin, measuring,
                                  RECT{0, 0, target.width, target.height});
    });
    if (FAILED(hr)) return Record(hr);
    if (coverage.Empty()) return;
    const MaskPlacement mask = coverage.Placement();
    Fill(coverage.DeviceRect(), paint, &mask, Operator::SourceOver);
}

template <class Interface>
void RenderTarget<Interface>::DrawTextLayout(D2D1_POINT_2F origin, IDWriteTextLayout* layout, ID2D1Brush* brush,
                                             D2D1_DRAW_TEXT_OPTIONS options) {
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (!layout || !brush) return Record(E_INVALIDARG);
    // Tessary draws its layouts snapped and unclipped, without colour fonts.
    if (options != D2D1_DRAW_TEXT_OPTIONS_NONE) return Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
    // A foreign brush is an error even where the layout has no glyph to draw.
    if (!OwnBrush(brush)) return;
    // The renderer calls back into this target; the factory lock is re-entrant.
    Record(DrawLayoutOn(this, origin, layout, brush));
}

// Tessary lays its text out itself; a string drawn straight from a format is not supported.
template <class Interface>
void RenderTarget<Interface>::DrawText(const WCHAR*, UINT, IDWriteTextFormat*, const D2D1_RECT_F*, ID2D1Brush*,
                                       D2D1_DRAW_TEXT_OPTIONS, DWRITE_MEASURING_MODE) {
    RecordUnsupportedDrawing();
}

template void RenderTarget<ID2D1BitmapRenderTarget>::DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*, DWRITE_MEASURING_MODE);
template void RenderTarget<ID2D1BitmapRenderTarget>::DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS);
template void RenderTarget<ID2D1BitmapRenderTarget>::DrawText(const WCHAR*, UINT, IDWriteTextFormat*, const D2D1_RECT_F*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS, DWRITE_MEASURING_MODE);
template void RenderTarget<ID2D1DCRenderTarget>::DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*, DWRITE_MEASURING_MODE);
template void RenderTarget<ID2D1DCRenderTarget>::DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS);
template void RenderTarget<ID2D1DCRenderTarget>::DrawText(const WCHAR*, UINT, IDWriteTextFormat*, const D2D1_RECT_F*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS, DWRITE_MEASURING_MODE);

}  // namespace softd2d
