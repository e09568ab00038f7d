#pragma once
#include "bitmap.h"
#include "com_base.h"
#include "raster/rasterizer.h"

namespace softd2d {

class Factory;

// What the render targets need from any brush of ours.
class BrushSource {
public:
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    virtual Factory* Owner() const = 0;
    // The bitmap the brush reads, if any: a target may not paint with its own.
    virtual const Bitmap* Reads() const { return nullptr; }
    // The paint the brush puts on device pixels. S_FALSE when it paints nothing at all.
    virtual HRESULT ToPaint(Paint* paint) = 0;

protected:
    ~BrushSource() = default;
};

// Premultiplies a straight colour in float and rounds each channel to nearest.
uint32_t PremultipliedColor(const D2D1_COLOR_F& color);

D2D1_MATRIX_3X2_F IdentityMatrix();
bool IsIdentity(const D2D1_MATRIX_3X2_F& m);

template <class Interface>
class BrushBase : public Interface, public BrushSource, public RefCounted {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** factory) const override;
    void STDMETHODCALLTYPE SetOpacity(FLOAT opacity) override;
    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F* transform) override;
    FLOAT STDMETHODCALLTYPE GetOpacity() const override { return opacity_; }
    void STDMETHODCALLTYPE GetTransform(D2D1_MATRIX_3X2_F* transform) const override;
    Factory* Owner() const override { return factory_; }

protected:
    // Brushes start at opacity 1 without a transform; Tessary creates them without properties.
    explicit BrushBase(Factory* factory);
    ~BrushBase() override;

    Factory* factory_;
    FLOAT opacity_ = 1.0f;
    D2D1_MATRIX_3X2_F transform_;
};

class SolidColorBrush final : public BrushBase<ID2D1SolidColorBrush> {
public:
    static HRESULT Create(Factory* factory, const D2D1_COLOR_F& color, ID2D1SolidColorBrush** out);

    void STDMETHODCALLTYPE SetColor(const D2D1_COLOR_F* color) override;
    using ID2D1SolidColorBrush::GetColor;
    D2D1_COLOR_F* STDMETHODCALLTYPE GetColor(D2D1_COLOR_F* color) const override {
        *color = color_;
        return color;
    }
    HRESULT ToPaint(Paint* paint) override;

private:
    SolidColorBrush(Factory* factory, const D2D1_COLOR_F& color) : BrushBase(factory), color_(color) {}

    D2D1_COLOR_F color_;
};

class BitmapBrush final : public BrushBase<ID2D1BitmapBrush> {
public:
    static HRESULT Create(Factory* factory, Bitmap* bitmap, const D2D1_BITMAP_BRUSH_PROPERTIES* bitmapProperties,
                          ID2D1BitmapBrush** out);

    void STDMETHODCALLTYPE SetExtendModeX(D2D1_EXTEND_MODE mode) override;
    void STDMETHODCALLTYPE SetExtendModeY(D2D1_EXTEND_MODE mode) override;
    void STDMETHODCALLTYPE SetInterpolationMode(D2D1_BITMAP_INTERPOLATION_MODE mode) override;
    void STDMETHODCALLTYPE SetBitmap(ID2D1Bitmap* bitmap) override;
    D2D1_EXTEND_MODE STDMETHODCALLTYPE GetExtendModeX() const override { return extendX_; }
    D2D1_EXTEND_MODE STDMETHODCALLTYPE GetExtendModeY() const override { return extendY_; }
    D2D1_BITMAP_INTERPOLATION_MODE STDMETHODCALLTYPE GetInterpolationMode() const override { return interpolation_; }
    void STDMETHODCALLTYPE GetBitmap(ID2D1Bitmap** bitmap) const override;
    const Bitmap* Reads() const override { return bitmap_.Get(); }
    HRESULT ToPaint(Paint* paint) override;

private:
    explicit BitmapBrush(Factory* factory) : BrushBase(factory) {}

    ComPtr<Bitmap> bitmap_;
    D2D1_EXTEND_MODE extendX_ = D2D1_EXTEND_MODE_CLAMP;
    D2D1_EXTEND_MODE extendY_ = D2D1_EXTEND_MODE_CLAMP;
    D2D1_BITMAP_INTERPOLATION_MODE interpolation_ = D2D1_BITMAP_INTERPOLATION_MODE_LINEAR;
};

bool ValidExtendMode(D2D1_EXTEND_MODE mode);
bool ValidInterpolationMode(D2D1_BITMAP_INTERPOLATION_MODE mode);

}  // namespace softd2d
