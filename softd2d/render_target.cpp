// The state and drawing passes of the render targets: identity, error recording, BeginDraw/EndDraw,
// clips and the state setters. The drawing calls live in render_target_drawing.cpp, resource
// creation and GDI interop in render_target_resources.cpp, text in render_target_text.cpp.
#include "render_target.h"

#include "brushes.h"
#include "control.h"
#include "factory.h"
#include "raster/kernels.h"

namespace softd2d {

RenderTargetState::RenderTargetState(Factory* factory) : factory_(factory) { factory_->AddRef(); }

RenderTargetState::~RenderTargetState() { factory_->Release(); }

bool RenderTargetState::UsePixels(ComPtr<Bitmap> pixels) {
    if (pixels && !scratch_.Reserve(pixels->Pixels().width)) return false;
    pixels_ = std::move(pixels);
    return true;
}

template <class Interface>
RenderTarget<Interface>::RenderTarget(Factory* factory) : RenderTargetState(factory) {}

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
    if (SUCCEEDED(error_) && FAILED(hr)) error_ = hr;
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
bool RenderTarget<Interface>::BrushPaint(ID2D1Brush* brush, Paint* paint, ComPtr<BrushSource>* hold) {
    *hold = Unwrap<BrushSource>(brush, IID_SoftBrush);
    if (*hold && RefuseOwnPixels((*hold)->Reads())) return false;
    HRESULT hr = E_INVALIDARG;
    if (*hold) hr = (*hold)->Owner() != factory_ ? Hr(D2DERR_WRONG_FACTORY) : (*hold)->ToPaint(paint);
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
void RenderTarget<Interface>::Fill(const RectD& area, const Paint& paint, const MaskPlacement* mask, Operator op) {
    if (!pixels_) return;  // the DC target draws nowhere
    FillArea(pixels_->Pixels(), area, paint, mask, op, scratch_, ActiveKernels());
}

// Tessary clears through one aliased clip at a time; antialiased and nested clips are not drawn.
template <class Interface>
void RenderTarget<Interface>::PushAxisAlignedClip(const D2D1_RECT_F* rect, D2D1_ANTIALIAS_MODE mode) {
    CountCall(Call::PushAxisAlignedClip);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (!rect) return Record(E_INVALIDARG);
    if (mode != D2D1_ANTIALIAS_MODE_ALIASED || clipPushed_) return Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
    RectD device = SnapToPixelCentres(DeviceRect(*rect));
    if (HasNaN(device)) device = {};
    clip_ = Intersect(clip_, device);
    clipPushed_ = true;
}

template <class Interface>
void RenderTarget<Interface>::PopAxisAlignedClip() {
    CountCall(Call::PopAxisAlignedClip);
    FactoryLock lock(factory_);
    if (!CanDraw()) return;
    if (!clipPushed_) return Record(Hr(D2DERR_POP_CALL_DID_NOT_MATCH_PUSH));
    clip_ = WholeTarget();
    clipPushed_ = false;
}

template <class Interface>
RectD RenderTarget<Interface>::WholeTarget() const {
    const Surface* s = pixels_ ? &pixels_->Pixels() : nullptr;
    return {0, 0, s ? double(s->width) : 0.0, s ? double(s->height) : 0.0};
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
    clipPushed_ = false;
    clip_ = WholeTarget();
}

template <class Interface>
HRESULT RenderTarget<Interface>::EndDraw(D2D1_TAG* tag1, D2D1_TAG* tag2) {
    CountCall(Call::EndDraw);
    FactoryLock lock(factory_);
    if (!drawing_) {
        Record(Hr(D2DERR_WRONG_STATE));
    } else {
        if (gdiDc_) {
            Record(Hr(D2DERR_WRONG_STATE));
            ReleaseGdiDc();
        }
        if (clipPushed_) Record(Hr(D2DERR_PUSH_POP_UNBALANCED));
        clipPushed_ = false;
        drawing_ = false;
        discarding_ = false;
    }
    // Tags are never set, so an error carries none.
    if (tag1) *tag1 = 0;
    if (tag2) *tag2 = 0;
    const HRESULT hr = error_;
    error_ = S_OK;
    const HRESULT injected = TakeEndDrawFailure(Identity());
    return FAILED(injected) ? injected : hr;
}

template <class Interface>
HRESULT RenderTarget<Interface>::Flush(D2D1_TAG* tag1, D2D1_TAG* tag2) {
    if (tag1) *tag1 = 0;
    if (tag2) *tag2 = 0;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

// ---- state ------------------------------------------------------------------------------
// Tessary draws untransformed, at 96 DPI, without tags or rendering parameters of its own: any other
// value is refused as Direct2D refuses what it cannot do, and the next EndDraw reports it.

template <class Interface>
void RenderTarget<Interface>::SetTransform(const D2D1_MATRIX_3X2_F* transform) {
    FactoryLock lock(factory_);
    if (transform && !IsIdentity(*transform)) Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
}

template <class Interface>
void RenderTarget<Interface>::GetTransform(D2D1_MATRIX_3X2_F* transform) const {
    if (transform) *transform = IdentityMatrix();
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
    if (params) Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
}

template <class Interface>
void RenderTarget<Interface>::GetTextRenderingParams(IDWriteRenderingParams** params) const {
    if (params) *params = nullptr;
}

template <class Interface>
void RenderTarget<Interface>::SetTags(D2D1_TAG tag1, D2D1_TAG tag2) {
    FactoryLock lock(factory_);
    if (tag1 || tag2) Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
}

template <class Interface>
void RenderTarget<Interface>::GetTags(D2D1_TAG* tag1, D2D1_TAG* tag2) const {
    if (tag1) *tag1 = 0;
    if (tag2) *tag2 = 0;
}

template <class Interface>
void RenderTarget<Interface>::SetDpi(FLOAT dpiX, FLOAT dpiY) {
    FactoryLock lock(factory_);
    if (!DefaultDpi(dpiX, dpiY)) Record(Hr(D2DERR_UNSUPPORTED_OPERATION));
}

template <class Interface>
void RenderTarget<Interface>::GetDpi(FLOAT* dpiX, FLOAT* dpiY) const {
    if (dpiX) *dpiX = 96.0f;
    if (dpiY) *dpiY = 96.0f;
}

template <class Interface>
D2D1_SIZE_F* RenderTarget<Interface>::GetSize(D2D1_SIZE_F* size) const {
    D2D1_SIZE_U pixels;
    GetPixelSize(&pixels);
    *size = {float(pixels.width), float(pixels.height)};
    return size;
}

template <class Interface>
D2D1_SIZE_U* RenderTarget<Interface>::GetPixelSize(D2D1_SIZE_U* size) const {
    *size = pixels_ ? pixels_->GetPixelSize() : D2D1_SIZE_U{0, 0};
    return size;
}

// Tessary never asks; no other kind of target is made here.
template <class Interface>
BOOL RenderTarget<Interface>::IsSupported(const D2D1_RENDER_TARGET_PROPERTIES*) const {
    return FALSE;
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
