#include "factory.h"

#include "control.h"
#include "dc_render_target.h"

namespace softd2d {

Factory::Factory() { InitializeCriticalSection(&lock_); }

Factory::~Factory() { DeleteCriticalSection(&lock_); }

HRESULT Factory::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == __uuidof(ID2D1Factory)) return ReturnInterface<ID2D1Factory>(this, out);
    return E_NOINTERFACE;
}

void Factory::GetDesktopDpi(FLOAT* dpiX, FLOAT* dpiY) {
    if (dpiX) *dpiX = 96.0f;
    if (dpiY) *dpiY = 96.0f;
}

// Geometry, layers, stroke styles and the other render target kinds are outside what this
// DLL draws; they fail cleanly with the Direct2D code for an unsupported call.
namespace {
template <class T>
HRESULT Unsupported(T** out) {
    if (out) *out = nullptr;
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}
}  // namespace

HRESULT Factory::CreateRectangleGeometry(const D2D1_RECT_F*, ID2D1RectangleGeometry** out) { return Unsupported(out); }
HRESULT Factory::CreateRoundedRectangleGeometry(const D2D1_ROUNDED_RECT*, ID2D1RoundedRectangleGeometry** out) { return Unsupported(out); }
HRESULT Factory::CreateEllipseGeometry(const D2D1_ELLIPSE*, ID2D1EllipseGeometry** out) { return Unsupported(out); }
HRESULT Factory::CreateGeometryGroup(D2D1_FILL_MODE, ID2D1Geometry**, UINT, ID2D1GeometryGroup** out) { return Unsupported(out); }
HRESULT Factory::CreateTransformedGeometry(ID2D1Geometry*, const D2D1_MATRIX_3X2_F*, ID2D1TransformedGeometry** out) { return Unsupported(out); }
HRESULT Factory::CreatePathGeometry(ID2D1PathGeometry** out) { return Unsupported(out); }
HRESULT Factory::CreateStrokeStyle(const D2D1_STROKE_STYLE_PROPERTIES*, const FLOAT*, UINT, ID2D1StrokeStyle** out) { return Unsupported(out); }
HRESULT Factory::CreateDrawingStateBlock(const D2D1_DRAWING_STATE_DESCRIPTION*, IDWriteRenderingParams*, ID2D1DrawingStateBlock** out) { return Unsupported(out); }
HRESULT Factory::CreateWicBitmapRenderTarget(IWICBitmap*, const D2D1_RENDER_TARGET_PROPERTIES*, ID2D1RenderTarget** out) { return Unsupported(out); }
HRESULT Factory::CreateHwndRenderTarget(const D2D1_RENDER_TARGET_PROPERTIES*, const D2D1_HWND_RENDER_TARGET_PROPERTIES*, ID2D1HwndRenderTarget** out) { return Unsupported(out); }
HRESULT Factory::CreateDxgiSurfaceRenderTarget(IDXGISurface*, const D2D1_RENDER_TARGET_PROPERTIES*, ID2D1RenderTarget** out) { return Unsupported(out); }

HRESULT Factory::CreateDCRenderTarget(const D2D1_RENDER_TARGET_PROPERTIES* properties, ID2D1DCRenderTarget** out) {
    return Guarded([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!properties) return E_INVALIDARG;
        FactoryLock lock(this);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_DC_TARGET);
        if (FAILED(injected)) return injected;
        return DCRenderTarget::Create(this, *properties, out);
    });
}

}  // namespace softd2d

using namespace softd2d;

extern "C" HRESULT WINAPI D2D1CreateFactory(D2D1_FACTORY_TYPE type, REFIID riid,
                                            const D2D1_FACTORY_OPTIONS* options, void** out) {
    return Guarded([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        // Tessary makes one multi-threaded factory without a debug layer.
        if (type != D2D1_FACTORY_TYPE_MULTI_THREADED || (options && options->debugLevel != D2D1_DEBUG_LEVEL_NONE))
            return Hr(D2DERR_UNSUPPORTED_OPERATION);
        const HRESULT injected = TakeCallFailure();
        if (FAILED(injected)) return injected;
        Factory* factory = new (std::nothrow) Factory;
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(riid, out);
        factory->Release();
        return hr;
    });
}
