#include "render_target.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "bitmap_render_target.h"
#include "brushes.h"
#include "control.h"
#include "dc_render_target.h"
#include "factory.h"
#include "raster/kernels.h"
#include "wic_upload.h"

namespace softd2d {

namespace {

constexpr size_t kExpectedClipDepth = 16;

bool ValidDpi(FLOAT dpi) { return std::isfinite(dpi) && dpi >= 0; }

// Texels of `bitmap` that `source` (DIPs of the bitmap) covers, mapped onto the device
// rectangle from (dl, dt) to (dr, db), whose corners keep the orientation of the drawing.
bool MapImage(const Bitmap& bitmap, double dl, double dt, double dr, double db,
              const D2D1_RECT_F& source, bool linear, ImageMapping* m) {
    const Surface& pixels = bitmap.Pixels();
    const double kx = bitmap.DpiX() / 96.0, ky = bitmap.DpiY() / 96.0;
    const double sl = source.left * kx, sr = source.right * kx;
    const double st = source.top * ky, sb = source.bottom * ky;
    if (!(sr > sl) || !(sb > st) || !(dr != dl) || !(db != dt)) return false;
    if (!std::isfinite(sl) || !std::isfinite(sr) || !std::isfinite(st) || !std::isfinite(sb)) return false;
    m->image = &pixels;
    m->scaleX = (sr - sl) / (dr - dl);
    m->offsetX = sl - m->scaleX * dl;
    m->scaleY = (sb - st) / (db - dt);
    m->offsetY = st - m->scaleY * dt;
    m->regionLeft = static_cast<int>(std::clamp(std::floor(sl), 0.0, double(pixels.width)));
    m->regionRight = static_cast<int>(std::clamp(std::ceil(sr), 0.0, double(pixels.width)));
    m->regionTop = static_cast<int>(std::clamp(std::floor(st), 0.0, double(pixels.height)));
    m->regionBottom = static_cast<int>(std::clamp(std::ceil(sb), 0.0, double(pixels.height)));
    m->extendX = m->extendY = Extend::Clamp;
    m->linear = linear;
    return m->regionLeft < m->regionRight && m->regionTop < m->regionBottom;
}

D2D1_RECT_F WholeBitmapInDips(const Bitmap& bitmap) {
    const D2D1_SIZE_F size = bitmap.GetSize();
    return {0, 0, size.width, size.height};
}

}  // namespace

bool IsSoftRenderTarget(IUnknown* unknown) {
    return static_cast<bool>(Unwrap<RenderTargetState>(unknown, IID_SoftRenderTarget));
}

RenderTargetState::RenderTargetState(Factory* factory, D2D1_PIXEL_FORMAT format, FLOAT dpiX, FLOAT dpiY,
                                     bool gdiCompatible)
    : factory_(factory), format_(format), dpiX_(dpiX), dpiY_(dpiY), gdiCompatible_(gdiCompatible),
      transform_(IdentityMatrix()) {
    factory_->AddRef();
    clipStack_.reserve(kExpectedClipDepth);  // pushes within this depth never allocate
}

RenderTargetState::~RenderTargetState() { factory_->Release(); }

bool RenderTargetState::UsePixels(ComPtr<Bitmap> pixels) {
    if (pixels && !scratch_.Reserve(pixels->Pixels().width)) return false;
    pixels_ = std::move(pixels);
    return true;
}

template <class Interface>
RenderTarget<Interface>::RenderTarget(Factory* factory, D2D1_PIXEL_FORMAT format, FLOAT dpiX, FLOAT dpiY,
                                      bool gdiCompatible)
    : RenderTargetState(factory, format, dpiX, dpiY, gdiCompatible) {}

template <class Interface>
RenderTarget<Interface>::~RenderTarget() {
    ReleaseGdiDc();
    ForgetTarget(Identity());
}

template <class Interface>
HRESULT RenderTarget<Interface>::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == __uuidof(ID2D1Resource) || riid == __uuidof(ID2D1RenderTarget) ||
        riid == __uuidof(Interface))
        return ReturnInterface<Interface>(this, out);
    if (riid == __uuidof(ID2D1GdiInteropRenderTarget))
        return ReturnInterface<ID2D1GdiInteropRenderTarget>(this, out);
    if (riid == IID_SoftRenderTarget) {
        AddRef();
        *out = static_cast<RenderTargetState*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

template <class Interface>
void RenderTarget<Interface>::GetFactory(ID2D1Factory** factory) const {
    if (!factory) return;
    factory_->AddRef();
    *factory = factory_;
}

// ---- errors and state ------------------------------------------------------------------

template <class Interface>
void RenderTarget<Interface>::Record(HRESULT hr) {
    if (SUCCEEDED(error_) && FAILED(hr)) {
        error_ = hr;
        errorTag1_ = tag1_;
        errorTag2_ = tag2_;
    }
}

template <class Interface>
bool RenderTarget<Interface>::CanDraw() {
    if (!drawing_ || gdiDc_) {
        Record(Hr(D2DERR_WRONG_STATE));
        return false;
    }
    return true;
}

template <class Interface>
void RenderTarget<Interface>::RecordUnsupportedDrawing() {
    FactoryLock lock(factory_);
    if (CanDraw()) Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
}

template <class Interface>
bool RenderTarget<Interface>::WorldToDevice(AxisMap* map) {
    AxisMap world;
    if (!ToAxisMap(transform_, &world)) {
        Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
        return false;
    }
    *map = DpiMap(dpiX_, dpiY_).After(world);
    return true;
}

template <class Interface>
HRESULT RenderTarget<Interface>::BrushPaint(ID2D1Brush* brush, const AxisMap& worldToDevice, Paint* paint,
                                            ComPtr<BrushSource>* hold) {
    *hold = Unwrap<BrushSource>(brush, IID_SoftBrush);
    if (!*hold) return E_INVALIDARG;
    if ((*hold)->Owner() != factory_) return Hr(D2DERR_WRONG_FACTORY);
    return (*hold)->ToPaint(worldToDevice, paint);
}

template <class Interface>
ComPtr<Bitmap> RenderTarget<Interface>::ReadableBitmap(ID2D1Bitmap* bitmap) {
    ComPtr<Bitmap> ours = Unwrap<Bitmap>(bitmap, IID_SoftBitmap);
    if (!ours) {
        Record(E_INVALIDARG);
    } else if (ours->Owner() != factory_) {
        Record(Hr(D2DERR_WRONG_FACTORY));
        ours.Reset();
    } else if (ours.Get() == pixels_.Get()) {
        // A target cannot read the pixels it is drawing into.
        Record(E_INVALIDARG);
        ours.Reset();
    }
    return ours;
}

template <class Interface>
RectD RenderTarget<Interface>::AreaOf(const RectD& device) const {
    const RectD shape = antialiasMode_ == D2D1_ANTIALIAS_MODE_ALIASED ? SnapToPixelCentres(device) : device;
    return Intersect(shape, clip_);
}

template <class Interface>
void RenderTarget<Interface>::Fill(const RectD& area, const Paint& paint, const ImageMapping* mask, Operator op) {
    if (!pixels_) return;  // a DC target never bound draws nowhere
    FillArea(pixels_->Pixels(), area, paint, mask, op, scratch_, ActiveKernels());
}

// ---- resources --------------------------------------------------------------------------

template <class Interface>
HRESULT RenderTarget<Interface>::CreateBitmap(D2D1_SIZE_U size, const void* srcData, UINT32 pitch,
                                              const D2D1_BITMAP_PROPERTIES* properties, ID2D1Bitmap** bitmap) {
    return Guarded([&]() -> HRESULT {
        if (!bitmap) return E_POINTER;
        *bitmap = nullptr;
        if (!properties || !ValidDpi(properties->dpiX) || !ValidDpi(properties->dpiY)) return E_INVALIDARG;
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BITMAP);
        if (FAILED(injected)) return injected;
        HRESULT hr = CheckBitmapSize(size);
        if (FAILED(hr)) return hr;
        D2D1_PIXEL_FORMAT format;
        hr = ResolveBitmapFormat(properties->pixelFormat, &format);
        if (FAILED(hr)) return hr;
        const UINT32 bytesPerPixel = format.format == DXGI_FORMAT_A8_UNORM ? 1 : 4;
        if (srcData && size.height > 1 && pitch < uint64_t(size.width) * bytesPerPixel) return E_INVALIDARG;
        Bitmap* created = nullptr;
        hr = Bitmap::Create(factory_, size, format, properties->dpiX == 0 ? 96.0f : properties->dpiX,
                            properties->dpiY == 0 ? 96.0f : properties->dpiY, false, &created);
        if (FAILED(hr)) return hr;
        if (srcData) created->Write({0, 0, size.width, size.height}, static_cast<const uint8_t*>(srcData), pitch);
        *bitmap = created;
        return S_OK;
    });
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateBitmapFromWicBitmap(IWICBitmapSource* source, const D2D1_BITMAP_PROPERTIES* properties,
                                                           ID2D1Bitmap** bitmap) {
    return Guarded([&]() -> HRESULT {
        if (!bitmap) return E_POINTER;
        *bitmap = nullptr;
        if (!source) return E_INVALIDARG;
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BITMAP);
        if (FAILED(injected)) return injected;
        Bitmap* created = nullptr;
        const HRESULT hr = UploadWicBitmap(factory_, source, properties, &created);
        if (SUCCEEDED(hr)) *bitmap = created;
        return hr;
    });
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateSharedBitmap(REFIID, void*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap** bitmap) {
    if (bitmap) *bitmap = nullptr;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateBitmapBrush(ID2D1Bitmap* bitmap, const D2D1_BITMAP_BRUSH_PROPERTIES* bitmapBrushProperties,
                                                   const D2D1_BRUSH_PROPERTIES* brushProperties, ID2D1BitmapBrush** brush) {
    return Guarded([&]() -> HRESULT {
        if (!brush) return E_POINTER;
        *brush = nullptr;
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BRUSH);
        if (FAILED(injected)) return injected;
        ComPtr<Bitmap> ours;
        if (bitmap) {
            ours = Unwrap<Bitmap>(bitmap, IID_SoftBitmap);
            if (!ours) return E_INVALIDARG;
            if (ours->Owner() != factory_) return Hr(D2DERR_WRONG_FACTORY);
        }
        return BitmapBrush::Create(factory_, ours.Get(), bitmapBrushProperties, brushProperties, brush);
    });
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateSolidColorBrush(const D2D1_COLOR_F* color, const D2D1_BRUSH_PROPERTIES* brushProperties,
                                                       ID2D1SolidColorBrush** brush) {
    return Guarded([&]() -> HRESULT {
        if (!brush) return E_POINTER;
        *brush = nullptr;
        if (!color) return E_INVALIDARG;
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BRUSH);
        if (FAILED(injected)) return injected;
        return SolidColorBrush::Create(factory_, *color, brushProperties, brush);
    });
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA, D2D1_EXTEND_MODE,
                                                              ID2D1GradientStopCollection** out) {
    if (out) *out = nullptr;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*,
                                                           ID2D1GradientStopCollection*, ID2D1LinearGradientBrush** out) {
    if (out) *out = nullptr;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*,
                                                           ID2D1GradientStopCollection*, ID2D1RadialGradientBrush** out) {
    if (out) *out = nullptr;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateLayer(const D2D1_SIZE_F*, ID2D1Layer** out) {
    if (out) *out = nullptr;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateMesh(ID2D1Mesh** out) {
    if (out) *out = nullptr;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateCompatibleRenderTarget(const D2D1_SIZE_F* desiredSize, const D2D1_SIZE_U* desiredPixelSize,
                                                              const D2D1_PIXEL_FORMAT* desiredFormat,
                                                              D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS options,
                                                              ID2D1BitmapRenderTarget** out) {
    return Guarded([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (options != D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_NONE &&
            options != D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE)
            return E_INVALIDARG;
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_COMPATIBLE_TARGET);
        if (FAILED(injected)) return injected;

        D2D1_PIXEL_FORMAT format = desiredFormat ? *desiredFormat : D2D1_PIXEL_FORMAT{DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_UNKNOWN};
        if (format.format == DXGI_FORMAT_UNKNOWN) format.format = format_.format;
        if (format.alphaMode == D2D1_ALPHA_MODE_UNKNOWN) format.alphaMode = D2D1_ALPHA_MODE_PREMULTIPLIED;
        if (format.format != DXGI_FORMAT_B8G8R8A8_UNORM ||
            (format.alphaMode != D2D1_ALPHA_MODE_PREMULTIPLIED && format.alphaMode != D2D1_ALPHA_MODE_IGNORE))
            return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);

        // Sizes in DIPs and pixels decide the new DPI, as Direct2D documents.
        double pixelsX, pixelsY, dpiX = dpiX_, dpiY = dpiY_;
        if (desiredSize && !(desiredSize->width >= 0 && desiredSize->height >= 0)) return E_INVALIDARG;  // also NaN
        if (desiredPixelSize) {
            pixelsX = desiredPixelSize->width;
            pixelsY = desiredPixelSize->height;
        } else if (desiredSize) {
            pixelsX = std::ceil(double(desiredSize->width) * dpiX_ / 96.0);
            pixelsY = std::ceil(double(desiredSize->height) * dpiY_ / 96.0);
        } else {
            const Surface* s = pixels_ ? &pixels_->Pixels() : nullptr;
            pixelsX = s ? s->width : 0;
            pixelsY = s ? s->height : 0;
        }
        if (!(pixelsX >= 1 && pixelsY >= 1)) return E_INVALIDARG;
        if (pixelsX > kMaxBitmapSize || pixelsY > kMaxBitmapSize) return Hr(D2DERR_MAX_TEXTURE_SIZE_EXCEEDED);
        if (desiredSize) {
            if (desiredSize->width == 0 || desiredSize->height == 0) return E_INVALIDARG;
            dpiX = pixelsX * 96.0 / desiredSize->width;
            dpiY = pixelsY * 96.0 / desiredSize->height;
        }
        const D2D1_SIZE_U size = {static_cast<UINT32>(pixelsX), static_cast<UINT32>(pixelsY)};
        return BitmapRenderTarget::Create(factory_, size, format, static_cast<FLOAT>(dpiX), static_cast<FLOAT>(dpiY),
                                          options == D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, out);
    });
}

// ---- drawing ----------------------------------------------------------------------------

template <class Interface>
void RenderTarget<Interface>::FillRectangle(const D2D1_RECT_F* rect, ID2D1Brush* brush) {
    CountCall(Call::FillRectangle);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (!rect || !brush) return Record(E_INVALIDARG);
    AxisMap map;
    if (!WorldToDevice(&map)) return;
    Paint paint;
    ComPtr<BrushSource> hold;
    const HRESULT hr = BrushPaint(brush, map, &paint, &hold);
    if (hr != S_OK) return Record(hr);
    Fill(AreaOf(MapRect(map, *rect)), paint, nullptr, Operator::SourceOver);
}

template <class Interface>
void RenderTarget<Interface>::DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* destination, FLOAT opacity,
                                         D2D1_BITMAP_INTERPOLATION_MODE interpolation, const D2D1_RECT_F* source) {
    CountCall(Call::DrawBitmap);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (!ValidInterpolationMode(interpolation)) return Record(E_INVALIDARG);
    ComPtr<Bitmap> image = ReadableBitmap(bitmap);
    if (!image) return;
    if (image->IsAlphaOnly()) return Record(Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT));
    AxisMap map;
    if (!WorldToDevice(&map)) return;
    const D2D1_RECT_F whole = WholeBitmapInDips(*image.Get());
    const D2D1_RECT_F& dest = destination ? *destination : whole;
    Paint paint;
    paint.solid = false;
    paint.opacity = std::isnan(opacity) ? 0.0f : std::clamp(opacity, 0.0f, 1.0f);
    if (paint.opacity == 0) return;
    if (!MapImage(*image.Get(), map.X(dest.left), map.Y(dest.top), map.X(dest.right), map.Y(dest.bottom),
                  source ? *source : whole, interpolation == D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &paint.image))
        return;
    Fill(AreaOf(MapRect(map, dest)), paint, nullptr, Operator::SourceOver);
}

template <class Interface>
void RenderTarget<Interface>::FillOpacityMask(ID2D1Bitmap* mask, ID2D1Brush* brush, D2D1_OPACITY_MASK_CONTENT content,
                                              const D2D1_RECT_F* destination, const D2D1_RECT_F* source) {
    CountCall(Call::FillOpacityMask);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    // Direct2D fills opacity masks only with aliased geometry.
    if (antialiasMode_ != D2D1_ANTIALIAS_MODE_ALIASED) return Record(Hr(D2DERR_WRONG_STATE));
    if (!brush || static_cast<unsigned>(content) > D2D1_OPACITY_MASK_CONTENT_TEXT_GDI_COMPATIBLE)
        return Record(E_INVALIDARG);
    ComPtr<Bitmap> alpha = ReadableBitmap(mask);
    if (!alpha) return;
    if (!alpha->IsAlphaOnly()) return Record(Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT));
    AxisMap map;
    if (!WorldToDevice(&map)) return;
    Paint paint;
    ComPtr<BrushSource> hold;
    const HRESULT hr = BrushPaint(brush, map, &paint, &hold);
    if (hr != S_OK) return Record(hr);
    const D2D1_RECT_F whole = WholeBitmapInDips(*alpha.Get());
    const D2D1_RECT_F& dest = destination ? *destination : whole;
    ImageMapping maskMap;
    if (!MapImage(*alpha.Get(), map.X(dest.left), map.Y(dest.top), map.X(dest.right), map.Y(dest.bottom),
                  source ? *source : whole, true, &maskMap))
        return;
    Fill(AreaOf(MapRect(map, dest)), paint, &maskMap, Operator::SourceOver);
}

template <class Interface>
void RenderTarget<Interface>::Clear(const D2D1_COLOR_F* color) {
    CountCall(Call::Clear);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    Paint paint;
    if (color) {
        // Targets that ignore alpha keep every pixel opaque.
        D2D1_COLOR_F c = *color;
        if (format_.alphaMode == D2D1_ALPHA_MODE_IGNORE) c.a = 1.0f;
        paint.color = PremultipliedColor(c, 1.0f);
    }
    // Clear ignores the transform but not the clip.
    Fill(clip_, paint, nullptr, Operator::Copy);
}

template <class Interface>
void RenderTarget<Interface>::PushAxisAlignedClip(const D2D1_RECT_F* rect, D2D1_ANTIALIAS_MODE mode) {
    CountCall(Call::PushAxisAlignedClip);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (!rect || (mode != D2D1_ANTIALIAS_MODE_PER_PRIMITIVE && mode != D2D1_ANTIALIAS_MODE_ALIASED))
        return Record(E_INVALIDARG);
    // Under a rotation the clip is the axis-aligned bounding box of the rectangle.
    RectD device = BoundingBox(transform_, dpiX_, dpiY_, *rect);
    if (HasNaN(device)) device = {};
    if (mode == D2D1_ANTIALIAS_MODE_ALIASED) device = SnapToPixelCentres(device);
    try {
        clipStack_.push_back(clip_);
    } catch (...) {
        return Record(E_OUTOFMEMORY);
    }
    clip_ = Intersect(clip_, device);
}

template <class Interface>
void RenderTarget<Interface>::PopAxisAlignedClip() {
    CountCall(Call::PopAxisAlignedClip);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (clipStack_.empty()) return Record(Hr(D2DERR_POP_CALL_DID_NOT_MATCH_PUSH));
    clip_ = clipStack_.back();
    clipStack_.pop_back();
}

template <class Interface>
void RenderTarget<Interface>::BeginDraw() {
    CountCall(Call::BeginDraw);
    FactoryLock lock(factory_);
    if (drawing_) return Record(Hr(D2DERR_WRONG_STATE));
    drawing_ = true;
    clipStack_.clear();
    const Surface* s = pixels_ ? &pixels_->Pixels() : nullptr;
    clip_ = {0, 0, s ? double(s->width) : 0.0, s ? double(s->height) : 0.0};
    OnBeginDraw();
}

template <class Interface>
HRESULT RenderTarget<Interface>::EndDraw(D2D1_TAG* tag1, D2D1_TAG* tag2) {
    CountCall(Call::EndDraw);
    FactoryLock lock(factory_);
    HRESULT hr;
    if (!drawing_) {
        Record(Hr(D2DERR_WRONG_STATE));
    } else {
        if (gdiDc_) {
            Record(Hr(D2DERR_WRONG_STATE));
            ReleaseGdiDc();
        }
        if (!clipStack_.empty()) Record(Hr(D2DERR_PUSH_POP_UNBALANCED));
        clipStack_.clear();
        drawing_ = false;
        if (SUCCEEDED(error_)) Record(OnEndDraw());
    }
    hr = error_;
    if (tag1) *tag1 = FAILED(hr) ? errorTag1_ : 0;
    if (tag2) *tag2 = FAILED(hr) ? errorTag2_ : 0;
    error_ = S_OK;
    errorTag1_ = errorTag2_ = 0;
    const HRESULT injected = TakeEndDrawFailure(Identity());
    return FAILED(injected) ? injected : hr;
}

template <class Interface>
HRESULT RenderTarget<Interface>::Flush(D2D1_TAG* tag1, D2D1_TAG* tag2) {
    FactoryLock lock(factory_);
    const HRESULT hr = drawing_ ? error_ : Hr(D2DERR_WRONG_STATE);
    if (tag1) *tag1 = FAILED(hr) ? errorTag1_ : 0;
    if (tag2) *tag2 = FAILED(hr) ? errorTag2_ : 0;
    return hr;
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

// ---- state ------------------------------------------------------------------------------

template <class Interface>
void RenderTarget<Interface>::SetTransform(const D2D1_MATRIX_3X2_F* transform) {
    FactoryLock lock(factory_);
    if (transform) transform_ = *transform;
}

template <class Interface>
void RenderTarget<Interface>::GetTransform(D2D1_MATRIX_3X2_F* transform) const {
    if (transform) *transform = transform_;
}

template <class Interface>
void RenderTarget<Interface>::SetAntialiasMode(D2D1_ANTIALIAS_MODE mode) {
    FactoryLock lock(factory_);
    if (mode == D2D1_ANTIALIAS_MODE_PER_PRIMITIVE || mode == D2D1_ANTIALIAS_MODE_ALIASED) antialiasMode_ = mode;
}

template <class Interface>
void RenderTarget<Interface>::SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE mode) {
    FactoryLock lock(factory_);
    if (static_cast<unsigned>(mode) <= D2D1_TEXT_ANTIALIAS_MODE_ALIASED) textAntialiasMode_ = mode;
}

template <class Interface>
void RenderTarget<Interface>::SetTextRenderingParams(IDWriteRenderingParams* params) {
    FactoryLock lock(factory_);
    // IDWriteRenderingParams is an IUnknown; only its reference is kept.
    textRenderingParams_.Assign(reinterpret_cast<IUnknown*>(params));
}

template <class Interface>
void RenderTarget<Interface>::GetTextRenderingParams(IDWriteRenderingParams** params) const {
    if (!params) return;
    IUnknown* held = textRenderingParams_.Get();
    if (held) held->AddRef();
    *params = reinterpret_cast<IDWriteRenderingParams*>(held);
}

template <class Interface>
void RenderTarget<Interface>::SetTags(D2D1_TAG tag1, D2D1_TAG tag2) {
    FactoryLock lock(factory_);
    tag1_ = tag1;
    tag2_ = tag2;
}

template <class Interface>
void RenderTarget<Interface>::GetTags(D2D1_TAG* tag1, D2D1_TAG* tag2) const {
    if (tag1) *tag1 = tag1_;
    if (tag2) *tag2 = tag2_;
}

template <class Interface>
void RenderTarget<Interface>::SetDpi(FLOAT dpiX, FLOAT dpiY) {
    FactoryLock lock(factory_);
    if (!ValidDpi(dpiX) || !ValidDpi(dpiY) || (dpiX == 0) != (dpiY == 0)) return;
    dpiX_ = dpiX == 0 ? 96.0f : dpiX;
    dpiY_ = dpiY == 0 ? 96.0f : dpiY;
    if (pixels_) pixels_->SetDpi(dpiX_, dpiY_);
}

template <class Interface>
void RenderTarget<Interface>::GetDpi(FLOAT* dpiX, FLOAT* dpiY) const {
    if (dpiX) *dpiX = dpiX_;
    if (dpiY) *dpiY = dpiY_;
}

template <class Interface>
D2D1_SIZE_F* RenderTarget<Interface>::GetSize(D2D1_SIZE_F* size) const {
    D2D1_SIZE_U pixels;
    GetPixelSize(&pixels);
    *size = {pixels.width * 96.0f / dpiX_, pixels.height * 96.0f / dpiY_};
    return size;
}

template <class Interface>
D2D1_SIZE_U* RenderTarget<Interface>::GetPixelSize(D2D1_SIZE_U* size) const {
    *size = pixels_ ? pixels_->GetPixelSize() : D2D1_SIZE_U{0, 0};
    return size;
}

template <class Interface>
BOOL RenderTarget<Interface>::IsSupported(const D2D1_RENDER_TARGET_PROPERTIES* properties) const {
    if (!properties) return FALSE;
    const D2D1_PIXEL_FORMAT& f = properties->pixelFormat;
    const bool format = f.format == DXGI_FORMAT_UNKNOWN || f.format == format_.format;
    const bool alpha = f.alphaMode == D2D1_ALPHA_MODE_UNKNOWN || f.alphaMode == format_.alphaMode;
    const bool gdi = !(properties->usage & D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE) || gdiCompatible_;
    return format && alpha && gdi && static_cast<unsigned>(properties->type) <= D2D1_RENDER_TARGET_TYPE_HARDWARE;
}

// ---- GDI interop ------------------------------------------------------------------------

template <class Interface>
HRESULT RenderTarget<Interface>::GetDC(D2D1_DC_INITIALIZE_MODE mode, HDC* hdc) {
    return Guarded([&]() -> HRESULT {
        if (!hdc) return E_POINTER;
        *hdc = nullptr;
        if (mode != D2D1_DC_INITIALIZE_MODE_COPY && mode != D2D1_DC_INITIALIZE_MODE_CLEAR) return E_INVALIDARG;
        FactoryLock lock(factory_);
        if (!gdiCompatible_) return Hr(D2DERR_TARGET_NOT_GDI_COMPATIBLE);
        if (!drawing_ || gdiDc_ || !pixels_ || !pixels_->Dib()) return Hr(D2DERR_WRONG_STATE);
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return E_OUTOFMEMORY;
        HGDIOBJ previous = SelectObject(dc, pixels_->Dib());
        if (!previous || previous == HGDI_ERROR) {
            DeleteDC(dc);
            return Hr(D2DERR_WIN32_ERROR);
        }
        if (mode == D2D1_DC_INITIALIZE_MODE_CLEAR) {
            const Surface& s = pixels_->Pixels();
            std::memset(s.bits, 0, static_cast<size_t>(s.stride) * s.height);
        }
        gdiDc_ = dc;
        gdiPreviousBitmap_ = previous;
        *hdc = dc;
        return S_OK;
    });
}

template <class Interface>
HRESULT RenderTarget<Interface>::ReleaseDC(const RECT* update) {
    // The DC draws straight into the target's pixels, so there is nothing to copy back,
    // whatever the update rectangle says.
    FactoryLock lock(factory_);
    if (!gdiDc_) return Hr(D2DERR_WRONG_STATE);
    ReleaseGdiDc();
    return S_OK;
}

template <class Interface>
void RenderTarget<Interface>::ReleaseGdiDc() {
    if (!gdiDc_) return;
    GdiFlush();  // batched GDI calls must land before Direct2D reads the pixels again
    SelectObject(gdiDc_, gdiPreviousBitmap_);
    DeleteDC(gdiDc_);
    gdiDc_ = nullptr;
    gdiPreviousBitmap_ = nullptr;
}

template class RenderTarget<ID2D1BitmapRenderTarget>;
template class RenderTarget<ID2D1DCRenderTarget>;

}  // namespace softd2d
