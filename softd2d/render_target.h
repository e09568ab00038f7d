#pragma once
// The render target machinery shared by bitmap and DC render targets: drawing state, the
// drawing calls, resource creation and GDI interop.
#include <algorithm>

#include "bitmap.h"
#include "com_base.h"
#include "raster/rasterizer.h"

namespace softd2d {

class BrushSource;
class Factory;

// Device pixels of a rectangle given in DIPs: the same numbers, normalised, as every target draws
// at 96 DPI without a transform.
inline RectD DeviceRect(const D2D1_RECT_F& r) {
    return {std::min<double>(r.left, r.right), std::min<double>(r.top, r.bottom), std::max<double>(r.left, r.right),
            std::max<double>(r.top, r.bottom)};
}

// The part of every render target that other objects of the DLL reach through
// IID_SoftRenderTarget.
class RenderTargetState {
public:
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    // The target's IUnknown, its COM identity.
    virtual IUnknown* Identity() = 0;

protected:
    explicit RenderTargetState(Factory* factory);
    ~RenderTargetState();

    // Makes `pixels` the drawing surface; false when working memory runs out.
    bool UsePixels(ComPtr<Bitmap> pixels);

    Factory* factory_;
    ComPtr<Bitmap> pixels_;
    Scratch scratch_;

    bool drawing_ = false;
    // In error (a second BeginDraw, the target's own bitmap as a source): nothing more is drawn
    // until EndDraw.
    bool discarding_ = false;
    HRESULT error_ = S_OK;
    D2D1_ANTIALIAS_MODE antialiasMode_ = D2D1_ANTIALIAS_MODE_PER_PRIMITIVE;
    D2D1_TEXT_ANTIALIAS_MODE textAntialiasMode_ = D2D1_TEXT_ANTIALIAS_MODE_DEFAULT;
    RectD clip_;               // device pixels, within the surface
    bool clipPushed_ = false;  // one aliased clip at a time
    HDC gdiDc_ = nullptr;
    HGDIOBJ gdiPreviousBitmap_ = nullptr;
};

// Targets and bitmaps are 96 DPI; 0 asks for the default, which is that.
inline bool DefaultDpi(FLOAT dpiX, FLOAT dpiY) { return (dpiX == 0 && dpiY == 0) || (dpiX == 96 && dpiY == 96); }

template <class Interface>
class RenderTarget : public Interface, public ID2D1GdiInteropRenderTarget, public RenderTargetState, public RefCounted {
public:
    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    IUnknown* Identity() override { return static_cast<Interface*>(this); }

    // ID2D1Resource
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** factory) const override;

    // ID2D1RenderTarget: resources
    HRESULT STDMETHODCALLTYPE CreateBitmap(D2D1_SIZE_U size, const void* srcData, UINT32 pitch, const D2D1_BITMAP_PROPERTIES* properties, ID2D1Bitmap** bitmap) override;
    HRESULT STDMETHODCALLTYPE CreateBitmapFromWicBitmap(IWICBitmapSource* source, const D2D1_BITMAP_PROPERTIES* properties, ID2D1Bitmap** bitmap) override;
    HRESULT STDMETHODCALLTYPE CreateSharedBitmap(REFIID riid, void* data, const D2D1_BITMAP_PROPERTIES* properties, ID2D1Bitmap** bitmap) override;
    HRESULT STDMETHODCALLTYPE CreateBitmapBrush(ID2D1Bitmap* bitmap, const D2D1_BITMAP_BRUSH_PROPERTIES* bitmapBrushProperties, const D2D1_BRUSH_PROPERTIES* brushProperties, ID2D1BitmapBrush** brush) override;
    HRESULT STDMETHODCALLTYPE CreateSolidColorBrush(const D2D1_COLOR_F* color, const D2D1_BRUSH_PROPERTIES* brushProperties, ID2D1SolidColorBrush** brush) override;
    HRESULT STDMETHODCALLTYPE CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA, D2D1_EXTEND_MODE, ID2D1GradientStopCollection** out) override;
    HRESULT STDMETHODCALLTYPE CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1LinearGradientBrush** out) override;
    HRESULT STDMETHODCALLTYPE CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1RadialGradientBrush** out) override;
    HRESULT STDMETHODCALLTYPE CreateCompatibleRenderTarget(const D2D1_SIZE_F* desiredSize, const D2D1_SIZE_U* desiredPixelSize, const D2D1_PIXEL_FORMAT* desiredFormat, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS options, ID2D1BitmapRenderTarget** out) override;
    HRESULT STDMETHODCALLTYPE CreateLayer(const D2D1_SIZE_F*, ID2D1Layer** out) override;
    HRESULT STDMETHODCALLTYPE CreateMesh(ID2D1Mesh** out) override;

    // ID2D1RenderTarget: drawing
    void STDMETHODCALLTYPE DrawLine(D2D1_POINT_2F, D2D1_POINT_2F, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE DrawRectangle(const D2D1_RECT_F*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillRectangle(const D2D1_RECT_F* rect, ID2D1Brush* brush) override;
    void STDMETHODCALLTYPE DrawRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE DrawEllipse(const D2D1_ELLIPSE*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillEllipse(const D2D1_ELLIPSE*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE FillMesh(ID2D1Mesh*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE FillOpacityMask(ID2D1Bitmap* mask, ID2D1Brush* brush, D2D1_OPACITY_MASK_CONTENT content, const D2D1_RECT_F* destination, const D2D1_RECT_F* source) override;
    void STDMETHODCALLTYPE DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* destination, FLOAT opacity, D2D1_BITMAP_INTERPOLATION_MODE interpolation, const D2D1_RECT_F* source) override;
    void STDMETHODCALLTYPE DrawText(const WCHAR*, UINT, IDWriteTextFormat*, const D2D1_RECT_F*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS, DWRITE_MEASURING_MODE) override;
    void STDMETHODCALLTYPE DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS) override;
    void STDMETHODCALLTYPE DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*, DWRITE_MEASURING_MODE) override;

    // ID2D1RenderTarget: state
    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F* transform) override;
    void STDMETHODCALLTYPE GetTransform(D2D1_MATRIX_3X2_F* transform) const override;
    void STDMETHODCALLTYPE SetAntialiasMode(D2D1_ANTIALIAS_MODE mode) override;
    D2D1_ANTIALIAS_MODE STDMETHODCALLTYPE GetAntialiasMode() const override { return antialiasMode_; }
    void STDMETHODCALLTYPE SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE mode) override;
    D2D1_TEXT_ANTIALIAS_MODE STDMETHODCALLTYPE GetTextAntialiasMode() const override { return textAntialiasMode_; }
    void STDMETHODCALLTYPE SetTextRenderingParams(IDWriteRenderingParams* params) override;
    void STDMETHODCALLTYPE GetTextRenderingParams(IDWriteRenderingParams** params) const override;
    void STDMETHODCALLTYPE SetTags(D2D1_TAG tag1, D2D1_TAG tag2) override;
    void STDMETHODCALLTYPE GetTags(D2D1_TAG* tag1, D2D1_TAG* tag2) const override;
    void STDMETHODCALLTYPE PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*) override;
    void STDMETHODCALLTYPE PopLayer() override;
    HRESULT STDMETHODCALLTYPE Flush(D2D1_TAG* tag1, D2D1_TAG* tag2) override;
    void STDMETHODCALLTYPE SaveDrawingState(ID2D1DrawingStateBlock*) const override {}
    void STDMETHODCALLTYPE RestoreDrawingState(ID2D1DrawingStateBlock*) override {}
    void STDMETHODCALLTYPE PushAxisAlignedClip(const D2D1_RECT_F* rect, D2D1_ANTIALIAS_MODE mode) override;
    void STDMETHODCALLTYPE PopAxisAlignedClip() override;
    void STDMETHODCALLTYPE Clear(const D2D1_COLOR_F* color) override;
    void STDMETHODCALLTYPE BeginDraw() override;
    HRESULT STDMETHODCALLTYPE EndDraw(D2D1_TAG* tag1, D2D1_TAG* tag2) override;
    using Interface::GetPixelFormat;
    using Interface::GetPixelSize;
    using Interface::GetSize;
    D2D1_PIXEL_FORMAT* STDMETHODCALLTYPE GetPixelFormat(D2D1_PIXEL_FORMAT* format) const override {
        *format = kTargetFormat;
        return format;
    }
    void STDMETHODCALLTYPE SetDpi(FLOAT dpiX, FLOAT dpiY) override;
    void STDMETHODCALLTYPE GetDpi(FLOAT* dpiX, FLOAT* dpiY) const override;
    D2D1_SIZE_F* STDMETHODCALLTYPE GetSize(D2D1_SIZE_F* size) const override;
    D2D1_SIZE_U* STDMETHODCALLTYPE GetPixelSize(D2D1_SIZE_U* size) const override;
    UINT32 STDMETHODCALLTYPE GetMaximumBitmapSize() const override { return kMaxBitmapSize; }
    BOOL STDMETHODCALLTYPE IsSupported(const D2D1_RENDER_TARGET_PROPERTIES* properties) const override;

    // ID2D1GdiInteropRenderTarget
    HRESULT STDMETHODCALLTYPE GetDC(D2D1_DC_INITIALIZE_MODE mode, HDC* hdc) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(const RECT* update) override;

protected:
    explicit RenderTarget(Factory* factory);
    ~RenderTarget() override;

private:
    // Keeps the first error of a drawing pass.
    void Record(HRESULT hr);
    // Drawing calls are valid only inside BeginDraw/EndDraw and while no GDI DC is out.
    bool CanDraw();
    // Whether `brush` is one of this factory's; records the error when it is not.
    bool OwnBrush(ID2D1Brush* brush);
    // A brush of this factory resolved into paint; false, with any error recorded, when nothing is
    // to be drawn.
    bool BrushPaint(ID2D1Brush* brush, Paint* paint, ComPtr<BrushSource>* hold);
    // A bitmap of this factory that this target may read, or null with the error recorded.
    ComPtr<Bitmap> ReadableBitmap(ID2D1Bitmap* bitmap);
    // Whether `bitmap` is the one this target draws into; if so the target is put in error, as a
    // Direct2D 1.1 device context is: D2DERR_BITMAP_BOUND_AS_TARGET, and the rest of the pass is lost.
    bool RefuseOwnPixels(const Bitmap* bitmap);
    RectD AreaOf(const RectD& device) const;
    RectD WholeTarget() const;
    void Fill(const RectD& area, const Paint& paint, const MaskPlacement* mask, Operator op);
    void ReleaseGdiDc();
    void RecordUnsupportedDrawing();
};

}  // namespace softd2d
