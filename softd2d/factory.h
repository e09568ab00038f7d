#pragma once
#include "com_base.h"
#include "glyph_cache.h"

namespace softd2d {

class Factory final : public ID2D1Factory, public RefCounted {
public:
    Factory();

    // The factory is multi-threaded: it serialises every call on its objects, as Direct2D does.
    void Lock() { EnterCriticalSection(&lock_); }
    void Unlock() { LeaveCriticalSection(&lock_); }
    // Rasterised glyphs shared by every render target of the factory; used under its lock.
    GlyphCache& Glyphs() { return glyphs_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    // ID2D1Factory
    HRESULT STDMETHODCALLTYPE ReloadSystemMetrics() override { return S_OK; }
    void STDMETHODCALLTYPE GetDesktopDpi(FLOAT* dpiX, FLOAT* dpiY) override;
    HRESULT STDMETHODCALLTYPE CreateRectangleGeometry(const D2D1_RECT_F*, ID2D1RectangleGeometry** out) override;
    HRESULT STDMETHODCALLTYPE CreateRoundedRectangleGeometry(const D2D1_ROUNDED_RECT*, ID2D1RoundedRectangleGeometry** out) override;
    HRESULT STDMETHODCALLTYPE CreateEllipseGeometry(const D2D1_ELLIPSE*, ID2D1EllipseGeometry** out) override;
    HRESULT STDMETHODCALLTYPE CreateGeometryGroup(D2D1_FILL_MODE, ID2D1Geometry**, UINT, ID2D1GeometryGroup** out) override;
    HRESULT STDMETHODCALLTYPE CreateTransformedGeometry(ID2D1Geometry*, const D2D1_MATRIX_3X2_F*, ID2D1TransformedGeometry** out) override;
    HRESULT STDMETHODCALLTYPE CreatePathGeometry(ID2D1PathGeometry** out) override;
    HRESULT STDMETHODCALLTYPE CreateStrokeStyle(const D2D1_STROKE_STYLE_PROPERTIES*, const FLOAT*, UINT, ID2D1StrokeStyle** out) override;
    HRESULT STDMETHODCALLTYPE CreateDrawingStateBlock(const D2D1_DRAWING_STATE_DESCRIPTION*, IDWriteRenderingParams*, ID2D1DrawingStateBlock** out) override;
    HRESULT STDMETHODCALLTYPE CreateWicBitmapRenderTarget(IWICBitmap*, const D2D1_RENDER_TARGET_PROPERTIES*, ID2D1RenderTarget** out) override;
    HRESULT STDMETHODCALLTYPE CreateHwndRenderTarget(const D2D1_RENDER_TARGET_PROPERTIES*, const D2D1_HWND_RENDER_TARGET_PROPERTIES*, ID2D1HwndRenderTarget** out) override;
    HRESULT STDMETHODCALLTYPE CreateDxgiSurfaceRenderTarget(IDXGISurface*, const D2D1_RENDER_TARGET_PROPERTIES*, ID2D1RenderTarget** out) override;
    HRESULT STDMETHODCALLTYPE CreateDCRenderTarget(const D2D1_RENDER_TARGET_PROPERTIES* properties, ID2D1DCRenderTarget** out) override;

private:
    ~Factory() override;

    CRITICAL_SECTION lock_;
    GlyphCache glyphs_;
};

class FactoryLock {
public:
    explicit FactoryLock(Factory* factory) : factory_(factory) { factory_->Lock(); }
    ~FactoryLock() { factory_->Unlock(); }
    FactoryLock(const FactoryLock&) = delete;
    FactoryLock& operator=(const FactoryLock&) = delete;

private:
    Factory* factory_;
};

}  // namespace softd2d
