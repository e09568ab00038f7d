// The state and drawing passes of the render targets: identity, error recording, BeginDraw/EndDraw,
// clips and the state setters. The drawing calls live in render_target_drawing.cpp, resource
// creation and GDI interop in render_target_resources.cpp, text in render_target_text.cpp.
#include "render_target.h"

#include <cmath>

#include "brushes.h"
#include "control.h"
#include "factory.h"
#include "raster/kernels.h"

namespace softd2d {

namespace {

constexpr size_t kExpectedClipDepth = 16;

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
    return !discarding_;
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
bool RenderTarget<Interface>::BrushPaint(ID2D1Brush* brush, AxisMap* worldToDevice, Paint* paint,
                                         ComPtr<BrushSource>* hold) {
    if (!WorldToDevice(worldToDevice)) return false;
    *hold = Unwrap<BrushSource>(brush, IID_SoftBrush);
    if (*hold && RefuseOwnPixels((*hold)->Reads())) return false;
    HRESULT hr = E_INVALIDARG;
    if (*hold) hr = (*hold)->Owner() != factory_ ? Hr(D2DERR_WRONG_FACTORY) : (*hold)->ToPaint(*worldToDevice, paint);
    if (hr != S_OK) Record(hr);  // S_FALSE: the brush paints nothing
    return hr == S_OK;
}

template <class Interface>
bool RenderTarget<Interface>::OwnBrush(ID2D1Brush* brush) {
    ComPtr<BrushSource> source = Unwrap<BrushSource>(brush, IID_SoftBrush);
    if (!source) Record(E_INVALIDARG);
    else if (source->Owner() != factory_) Record(Hr(D2DERR_WRONG_FACTORY));
    return source && source->Owner() == factory_;
}

template <class Interface>
ComPtr<Bitmap> RenderTarget<Interface>::ReadableBitmap(ID2D1Bitmap* bitmap) {
    ComPtr<Bitmap> ours = Unwrap<Bitmap>(bitmap, IID_SoftBitmap);
    if (!ours) {
        Record(E_INVALIDARG);
    } else if (ours->Owner() != factory_) {
        Record(Hr(D2DERR_WRONG_FACTORY));
        ours.Reset();
    } else if (RefuseOwnPixels(ours.Get())) {
        ours.Reset();
    }
    return ours;
}

template <class Interface>
bool RenderTarget<Interface>::RefuseOwnPixels(const Bitmap* bitmap) {
    if (!bitmap || bitmap != pixels_.Get()) return false;
    Record(Hr(D2DERR_BITMAP_BOUND_AS_TARGET));
    discarding_ = true;
    return true;
}

template <class Interface>
RectD RenderTarget<Interface>::AreaOf(const RectD& device) const {
    const RectD shape = antialiasMode_ == D2D1_ANTIALIAS_MODE_ALIASED ? SnapToPixelCentres(device) : device;
    return Intersect(shape, clip_);
}

template <class Interface>
void RenderTarget<Interface>::Fill(const RectD& area, const Paint& paint, const ImageMapping* mask, Operator op) {
    if (!pixels_) return;  // the DC target draws nowhere
    FillArea(pixels_->Pixels(), area, paint, mask, op, scratch_, ActiveKernels());
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
    if (drawing_) {
        // Direct2D puts the target in error: nothing more is drawn until EndDraw.
        discarding_ = true;
        return Record(Hr(D2DERR_WRONG_STATE));
    }
    drawing_ = true;
    clipStack_.clear();
    const Surface* s = pixels_ ? &pixels_->Pixels() : nullptr;
    clip_ = {0, 0, s ? double(s->width) : 0.0, s ? double(s->height) : 0.0};
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
        discarding_ = false;
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