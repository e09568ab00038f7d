#include "brushes.h"

#include <algorithm>
#include <cmath>

#include "factory.h"

namespace softd2d {

namespace {

float Unit(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

uint32_t ToByte(double v) { return static_cast<uint32_t>(std::floor(v * 255.0 + 0.5)); }

}  // namespace

D2D1_MATRIX_3X2_F IdentityMatrix() {
    D2D1_MATRIX_3X2_F m = {};
    m._11 = 1.0f;
    m._22 = 1.0f;
    return m;
}

bool IsIdentity(const D2D1_MATRIX_3X2_F& m) {
    return m._11 == 1 && m._12 == 0 && m._21 == 0 && m._22 == 1 && m._31 == 0 && m._32 == 0;
}

uint32_t PremultipliedColor(const D2D1_COLOR_F& color) {
    const double a = Unit(color.a);
    return ToByte(Unit(color.b) * a) | (ToByte(Unit(color.g) * a) << 8) |
           (ToByte(Unit(color.r) * a) << 16) | (ToByte(a) << 24);
}

bool ValidExtendMode(D2D1_EXTEND_MODE mode) {
    return mode == D2D1_EXTEND_MODE_CLAMP || mode == D2D1_EXTEND_MODE_WRAP || mode == D2D1_EXTEND_MODE_MIRROR;
}

bool ValidInterpolationMode(D2D1_BITMAP_INTERPOLATION_MODE mode) {
    return mode == D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR || mode == D2D1_BITMAP_INTERPOLATION_MODE_LINEAR;
}

template <class Interface>
BrushBase<Interface>::BrushBase(Factory* factory) : factory_(factory), transform_(IdentityMatrix()) {
    factory_->AddRef();
}

template <class Interface>
BrushBase<Interface>::~BrushBase() {
    factory_->Release();
}

template <class Interface>
HRESULT BrushBase<Interface>::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == __uuidof(ID2D1Resource) || riid == __uuidof(ID2D1Brush) ||
        riid == __uuidof(Interface))
        return ReturnInterface<Interface>(this, out);
    if (riid == IID_SoftBrush) {
        AddRef();
        *out = static_cast<BrushSource*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

template <class Interface>
void BrushBase<Interface>::GetFactory(ID2D1Factory** factory) const {
    if (!factory) return;
    factory_->AddRef();
    *factory = factory_;
}

template <class Interface>
void BrushBase<Interface>::SetOpacity(FLOAT opacity) {
    opacity_ = opacity;
}

template <class Interface>
void BrushBase<Interface>::SetTransform(const D2D1_MATRIX_3X2_F* transform) {
    if (transform) transform_ = *transform;
}

template <class Interface>
void BrushBase<Interface>::GetTransform(D2D1_MATRIX_3X2_F* transform) const {
    if (transform) *transform = transform_;
}

template class BrushBase<ID2D1SolidColorBrush>;
template class BrushBase<ID2D1BitmapBrush>;

HRESULT SolidColorBrush::Create(Factory* factory, const D2D1_COLOR_F& color, ID2D1SolidColorBrush** out) {
    SolidColorBrush* brush = new (std::nothrow) SolidColorBrush(factory, color);
    if (!brush) return E_OUTOFMEMORY;
    *out = brush;
    return S_OK;
}

void SolidColorBrush::SetColor(const D2D1_COLOR_F* color) {
    if (color) color_ = *color;
}

// Tessary's colours carry their own alpha; a brush opacity other than 1, or a transform, is not drawn.
HRESULT SolidColorBrush::ToPaint(Paint* paint) {
    if (opacity_ != 1.0f || !IsIdentity(transform_)) return Hr(D2DERR_UNSUPPORTED_OPERATION);
    paint->solid = true;
    paint->color = PremultipliedColor(color_);
    return paint->color == 0 ? S_FALSE : S_OK;
}

HRESULT BitmapBrush::Create(Factory* factory, Bitmap* bitmap, const D2D1_BITMAP_BRUSH_PROPERTIES* bitmapProperties,
                            ID2D1BitmapBrush** out) {
    if (bitmapProperties &&
        (!ValidExtendMode(bitmapProperties->extendModeX) || !ValidExtendMode(bitmapProperties->extendModeY) ||
         !ValidInterpolationMode(bitmapProperties->interpolationMode)))
        return E_INVALIDARG;
    BitmapBrush* brush = new (std::nothrow) BitmapBrush(factory);
    if (!brush) return E_OUTOFMEMORY;
    brush->bitmap_.Assign(bitmap);
    if (bitmapProperties) {
        brush->extendX_ = bitmapProperties->extendModeX;
        brush->extendY_ = bitmapProperties->extendModeY;
        brush->interpolation_ = bitmapProperties->interpolationMode;
    }
    *out = brush;
    return S_OK;
}

void BitmapBrush::SetExtendModeX(D2D1_EXTEND_MODE mode) {
    if (ValidExtendMode(mode)) extendX_ = mode;
}

void BitmapBrush::SetExtendModeY(D2D1_EXTEND_MODE mode) {
    if (ValidExtendMode(mode)) extendY_ = mode;
}

void BitmapBrush::SetInterpolationMode(D2D1_BITMAP_INTERPOLATION_MODE mode) {
    if (ValidInterpolationMode(mode)) interpolation_ = mode;
}

void BitmapBrush::SetBitmap(ID2D1Bitmap* bitmap) {
    // Anything not made by this DLL would be unreadable; such a brush paints nothing.
    ComPtr<Bitmap> ours = Unwrap<Bitmap>(bitmap, IID_SoftBitmap);
    bitmap_ = std::move(ours);
}

void BitmapBrush::GetBitmap(ID2D1Bitmap** bitmap) const {
    if (!bitmap) return;
    *bitmap = bitmap_.Get();
    if (*bitmap) (*bitmap)->AddRef();
}

HRESULT BitmapBrush::ToPaint(Paint* paint) {
    if (!bitmap_) return S_FALSE;
    if (bitmap_->Owner() != factory_) return Hr(D2DERR_WRONG_FACTORY);
    if (bitmap_->IsAlphaOnly()) return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
    // Tessary paints its bitmaps untransformed, clamped and at full opacity; other brushes are not drawn.
    if (!IsIdentity(transform_) || extendX_ != D2D1_EXTEND_MODE_CLAMP || extendY_ != D2D1_EXTEND_MODE_CLAMP ||
        opacity_ != 1.0f)
        return Hr(D2DERR_UNSUPPORTED_OPERATION);
    // Untransformed at 96 DPI, each device pixel samples the texel under it, whatever the interpolation.
    const Surface& pixels = bitmap_->Pixels();
    ImageMapping& m = paint->image;
    m.image = &pixels;
    m.regionLeft = 0;
    m.regionTop = 0;
    m.regionRight = pixels.width;
    m.regionBottom = pixels.height;
    m.scaleX = m.scaleY = 1;
    m.offsetX = m.offsetY = 0;
    paint->solid = false;
    paint->opacity = 1.0f;
    return S_OK;
}

}  // namespace softd2d
