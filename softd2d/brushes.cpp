#include "brushes.h"

#include <algorithm>
#include <cmath>

#include "factory.h"

namespace softd2d {

namespace {

float Unit(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

uint32_t ToByte(double v) { return static_cast<uint32_t>(std::floor(v * 255.0 + 0.5)); }

}  // namespace

uint32_t PremultipliedColor(const D2D1_COLOR_F& color, float opacity) {
    const double a = double(Unit(color.a)) * Unit(opacity);
    return ToByte(Unit(color.b) * a) | (ToByte(Unit(color.g) * a) << 8) |
           (ToByte(Unit(color.r) * a) << 16) | (ToByte(a) << 24);
}

bool ValidExtendMode(D2D1_EXTEND_MODE mode) {
    return mode == D2D1_EXTEND_MODE_CLAMP || mode == D2D1_EXTEND_MODE_WRAP || mode == D2D1_EXTEND_MODE_MIRROR;
}

bool ValidInterpolationMode(D2D1_BITMAP_INTERPOLATION_MODE mode) {
    return mode == D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR || mode == D2D1_BITMAP_INTERPOLATION_MODE_LINEAR;
}

Extend ToExtend(D2D1_EXTEND_MODE mode) {
    switch (mode) {
    case D2D1_EXTEND_MODE_WRAP: return Extend::Wrap;
    case D2D1_EXTEND_MODE_MIRROR: return Extend::Mirror;
    default: return Extend::Clamp;
    }
}

template <class Interface>
BrushBase<Interface>::BrushBase(Factory* factory, const D2D1_BRUSH_PROPERTIES* properties)
    : factory_(factory), transform_(IdentityMatrix()) {
    factory_->AddRef();
    if (properties) {
        opacity_ = properties->opacity;
        transform_ = properties->transform;
    }
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

HRESULT SolidColorBrush::Create(Factory* factory, const D2D1_COLOR_F& color,
                                const D2D1_BRUSH_PROPERTIES* properties, ID2D1SolidColorBrush** out) {
    SolidColorBrush* brush = new (std::nothrow) SolidColorBrush(factory, color, properties);
    if (!brush) return E_OUTOFMEMORY;
    *out = brush;
    return S_OK;
}

void SolidColorBrush::SetColor(const D2D1_COLOR_F* color) {
    if (color) color_ = *color;
}

HRESULT SolidColorBrush::ToPaint(const AxisMap&, Paint* paint) {
    paint->solid = true;
    paint->color = PremultipliedColor(color_, opacity_);
    return paint->color == 0 ? S_FALSE : S_OK;
}

HRESULT BitmapBrush::Create(Factory* factory, Bitmap* bitmap, const D2D1_BITMAP_BRUSH_PROPERTIES* bitmapProperties,
                            const D2D1_BRUSH_PROPERTIES* properties, ID2D1BitmapBrush** out) {
    if (bitmapProperties &&
        (!ValidExtendMode(bitmapProperties->extendModeX) || !ValidExtendMode(bitmapProperties->extendModeY) ||
         !ValidInterpolationMode(bitmapProperties->interpolationMode)))
        return E_INVALIDARG;
    BitmapBrush* brush = new (std::nothrow) BitmapBrush(factory, properties);
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

HRESULT BitmapBrush::ToPaint(const AxisMap& worldToDevice, Paint* paint) {
    if (!bitmap_) return S_FALSE;
    if (bitmap_->Owner() != factory_) return Hr(D2DERR_WRONG_FACTORY);
    if (bitmap_->IsAlphaOnly()) return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
    AxisMap brushMap;
    if (!ToAxisMap(transform_, &brushMap)) return Hr(D2DERR_UNSUPPORTED_OPERATION);
    // Brush space is in DIPs; the bitmap's DPI turns them into texels.
    const AxisMap toDevice = worldToDevice.After(brushMap);
    if (!toDevice.Invertible()) return S_FALSE;
    const Surface& pixels = bitmap_->Pixels();
    const double kx = bitmap_->DpiX() / 96.0, ky = bitmap_->DpiY() / 96.0;
    ImageMapping& m = paint->image;
    m.image = &pixels;
    m.regionLeft = 0;
    m.regionTop = 0;
    m.regionRight = pixels.width;
    m.regionBottom = pixels.height;
    m.scaleX = kx / toDevice.scaleX;
    m.offsetX = -toDevice.offsetX * kx / toDevice.scaleX;
    m.scaleY = ky / toDevice.scaleY;
    m.offsetY = -toDevice.offsetY * ky / toDevice.scaleY;
    m.extendX = ToExtend(extendX_);
    m.extendY = ToExtend(extendY_);
    m.linear = interpolation_ == D2D1_BITMAP_INTERPOLATION_MODE_LINEAR;
    paint->solid = false;
    paint->opacity = std::isnan(opacity_) ? 0.0f : std::clamp(opacity_, 0.0f, 1.0f);
    return paint->opacity > 0 ? S_OK : S_FALSE;
}

}  // namespace softd2d
