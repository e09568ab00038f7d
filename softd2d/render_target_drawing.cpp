// The drawing calls of the render targets: rectangles, bitmaps, opacity masks and Clear. Errors are
// recorded for EndDraw; geometry the rasterizer cannot draw yet records D2DERR_UNSUPPORTED_OPERATION.
#include <algorithm>
#include <cmath>

#include "brushes.h"
#include "control.h"
#include "factory.h"
#include "render_target.h"

namespace softd2d {

namespace {

// Texels of `image` that `source` covers, mapped onto the device rectangle `destination`, whose
// corners keep the orientation of the drawing.
bool MapImage(const Surface& image, const D2D1_RECT_F& destination, const D2D1_RECT_F& source, ImageMapping* m) {
    const double dl = destination.left, dr = destination.right, dt = destination.top, db = destination.bottom;
    const double sl = source.left, sr = source.right, st = source.top, sb = source.bottom;
    if (!(sr > sl) || !(sb > st) || !(dr != dl) || !(db != dt)) return false;
    if (!std::isfinite(sl) || !std::isfinite(sr) || !std::isfinite(st) || !std::isfinite(sb)) return false;
    m->image = &image;
    m->scaleX = (sr - sl) / (dr - dl);
    m->offsetX = sl - m->scaleX * dl;
    m->scaleY = (sb - st) / (db - dt);
    m->offsetY = st - m->scaleY * dt;
    m->regionLeft = static_cast<int>(std::clamp(std::floor(sl), 0.0, double(image.width)));
    m->regionRight = static_cast<int>(std::clamp(std::ceil(sr), 0.0, double(image.width)));
    m->regionTop = static_cast<int>(std::clamp(std::floor(st), 0.0, double(image.height)));
    m->regionBottom = static_cast<int>(std::clamp(std::ceil(sb), 0.0, double(image.height)));
    return m->regionLeft < m->regionRight && m->regionTop < m->regionBottom;
}

bool WholePixels(const D2D1_RECT_F& r) {
    for (float v : {r.left, r.top, r.right, r.bottom})
        if (!(std::fabs(v) <= float(kMaxBitmapSize)) || v != std::floor(v)) return false;
    return true;
}

}  // namespace

template <class Interface>
void RenderTarget<Interface>::FillRectangle(const D2D1_RECT_F* rect, ID2D1Brush* brush) {
    CountCall(Call::FillRectangle);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (!rect || !brush) return Record(E_INVALIDARG);
    Paint paint;
    ComPtr<BrushSource> hold;
    if (!BrushPaint(brush, &paint, &hold)) return;
    Fill(AreaOf(DeviceRect(*rect)), paint, nullptr, Operator::SourceOver);
}

// Tessary copies named rectangles with linear filtering; other forms are not drawn.
template <class Interface>
void RenderTarget<Interface>::DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* destination, FLOAT opacity,
                                         D2D1_BITMAP_INTERPOLATION_MODE interpolation, const D2D1_RECT_F* source) {
    CountCall(Call::DrawBitmap);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (interpolation != D2D1_BITMAP_INTERPOLATION_MODE_LINEAR || !destination || !source)
        return Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
    ComPtr<Bitmap> image = ReadableBitmap(bitmap);
    if (!image) return;
    if (image->IsAlphaOnly()) return Record(Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT));
    Paint paint;
    paint.solid = false;
    paint.opacity = std::isnan(opacity) ? 0.0f : std::clamp(opacity, 0.0f, 1.0f);
    if (paint.opacity == 0 || !MapImage(image->Pixels(), *destination, *source, &paint.image)) return;
    Fill(AreaOf(DeviceRect(*destination)), paint, nullptr, Operator::SourceOver);
}

// Tessary fills a mask at its own size on whole pixels, as graphics; other forms are not drawn.
template <class Interface>
void RenderTarget<Interface>::FillOpacityMask(ID2D1Bitmap* mask, ID2D1Brush* brush, D2D1_OPACITY_MASK_CONTENT content,
                                              const D2D1_RECT_F* destination, const D2D1_RECT_F* source) {
    CountCall(Call::FillOpacityMask);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    // Direct2D fills opacity masks only with aliased geometry.
    if (antialiasMode_ != D2D1_ANTIALIAS_MODE_ALIASED) return Record(Hr(D2DERR_WRONG_STATE));
    if (!brush) return Record(E_INVALIDARG);
    if (content != D2D1_OPACITY_MASK_CONTENT_GRAPHICS || !destination || !source || !WholePixels(*destination) ||
        !WholePixels(*source) || destination->right - destination->left != source->right - source->left ||
        destination->bottom - destination->top != source->bottom - source->top)
        return Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
    ComPtr<Bitmap> alpha = ReadableBitmap(mask);
    if (!alpha) return;
    if (!alpha->IsAlphaOnly()) return Record(Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT));
    Paint paint;
    ComPtr<BrushSource> hold;
    if (!BrushPaint(brush, &paint, &hold)) return;
    const MaskPlacement placement{&alpha->Pixels(), int(destination->left - source->left),
                                  int(destination->top - source->top)};
    Fill(AreaOf(DeviceRect(*destination)), paint, &placement, Operator::SourceOver);
}

template <class Interface>
void RenderTarget<Interface>::Clear(const D2D1_COLOR_F* color) {
    CountCall(Call::Clear);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    Paint paint;
    if (color) paint.color = PremultipliedColor(*color);
    // Clear ignores the transform but not the clip.
    Fill(clip_, paint, nullptr, Operator::Copy);
}

// Geometry other than rectangles, and layers, are drawn by nothing here yet: they leave
// D2DERR_UNSUPPORTED_OPERATION for EndDraw. Text lives in render_target_text.cpp.
template <class Interface>
void RenderTarget<Interface>::DrawLine(D2D1_POINT_2F, D2D1_POINT_2F, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::DrawRectangle(const D2D1_RECT_F*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::DrawRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::DrawEllipse(const D2D1_ELLIPSE*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::FillEllipse(const D2D1_ELLIPSE*, ID2D1Brush*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::FillMesh(ID2D1Mesh*, ID2D1Brush*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*) { RecordUnsupportedDrawing(); }
template <class Interface>
void RenderTarget<Interface>::PopLayer() { RecordUnsupportedDrawing(); }

// Both target kinds, member by member: the class itself is instantiated in render_target.cpp.
#define SOFTD2D_INSTANTIATE_DRAWING(T) \
    template void RenderTarget<T>::FillRectangle(const D2D1_RECT_F*, ID2D1Brush*); \
    template void RenderTarget<T>::DrawBitmap(ID2D1Bitmap*, const D2D1_RECT_F*, FLOAT, D2D1_BITMAP_INTERPOLATION_MODE, const D2D1_RECT_F*); \
    template void RenderTarget<T>::FillOpacityMask(ID2D1Bitmap*, ID2D1Brush*, D2D1_OPACITY_MASK_CONTENT, const D2D1_RECT_F*, const D2D1_RECT_F*); \
    template void RenderTarget<T>::Clear(const D2D1_COLOR_F*); \
    template void RenderTarget<T>::DrawLine(D2D1_POINT_2F, D2D1_POINT_2F, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*); \
    template void RenderTarget<T>::DrawRectangle(const D2D1_RECT_F*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*); \
    template void RenderTarget<T>::DrawRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*); \
    template void RenderTarget<T>::FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*); \
    template void RenderTarget<T>::DrawEllipse(const D2D1_ELLIPSE*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*); \
    template void RenderTarget<T>::FillEllipse(const D2D1_ELLIPSE*, ID2D1Brush*); \
    template void RenderTarget<T>::DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*); \
    template void RenderTarget<T>::FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*); \
    template void RenderTarget<T>::FillMesh(ID2D1Mesh*, ID2D1Brush*); \
    template void RenderTarget<T>::PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*); \
    template void RenderTarget<T>::PopLayer();
SOFTD2D_INSTANTIATE_DRAWING(ID2D1BitmapRenderTarget)
SOFTD2D_INSTANTIATE_DRAWING(ID2D1DCRenderTarget)
#undef SOFTD2D_INSTANTIATE_DRAWING

}  // namespace softd2d
