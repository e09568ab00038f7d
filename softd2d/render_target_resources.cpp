// Resource creation of the render targets (bitmaps, brushes, compatible targets) and GDI interop,
// which lends a DC on the target's own DIB between BeginDraw and EndDraw.
#include "bitmap_render_target.h"
#include "brushes.h"
#include "control.h"
#include "factory.h"
#include "render_target.h"
#include "wic_upload.h"

namespace softd2d {

// ---- resources --------------------------------------------------------------------------

template <class Interface>
HRESULT RenderTarget<Interface>::CreateBitmap(D2D1_SIZE_U size, const void* srcData, UINT32 pitch,
                                              const D2D1_BITMAP_PROPERTIES* properties, ID2D1Bitmap** bitmap) {
    return Guarded([&]() -> HRESULT {
        if (!bitmap) return E_POINTER;
        *bitmap = nullptr;
        if (!properties) return E_INVALIDARG;
        if (!DefaultDpi(properties->dpiX, properties->dpiY)) return Hr(D2DERR_UNSUPPORTED_OPERATION);
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BITMAP);
        if (FAILED(injected)) return injected;
        ComPtr<Bitmap> created;
        const HRESULT hr = Bitmap::Create(factory_, size, properties->pixelFormat, false, created.Out());
        if (FAILED(hr)) return hr;
        if (srcData) {
            if (size.height > 1 && pitch < uint64_t(size.width) * created->Pixels().bytesPerPixel) return E_INVALIDARG;
            created->Write(static_cast<const uint8_t*>(srcData), pitch);
        }
        *bitmap = created.Detach();
        return S_OK;
    });
}

// Tessary uploads decoded images as they come, at their pixel size.
template <class Interface>
HRESULT RenderTarget<Interface>::CreateBitmapFromWicBitmap(IWICBitmapSource* source, const D2D1_BITMAP_PROPERTIES* properties,
                                                           ID2D1Bitmap** bitmap) {
    return Guarded([&]() -> HRESULT {
        if (!bitmap) return E_POINTER;
        *bitmap = nullptr;
        if (!source) return E_INVALIDARG;
        if (properties) return Hr(D2DERR_UNSUPPORTED_OPERATION);
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BITMAP);
        if (FAILED(injected)) return injected;
        Bitmap* created = nullptr;
        const HRESULT hr = UploadWicBitmap(factory_, source, &created);
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
        // Tessary's brushes carry no opacity or transform of their own.
        if (brushProperties) return Hr(D2DERR_UNSUPPORTED_OPERATION);
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BRUSH);
        if (FAILED(injected)) return injected;
        ComPtr<Bitmap> ours;
        if (bitmap) {
            ours = Unwrap<Bitmap>(bitmap, IID_SoftBitmap);
            if (!ours) return E_INVALIDARG;
            if (ours->Owner() != factory_) return Hr(D2DERR_WRONG_FACTORY);
        }
        return BitmapBrush::Create(factory_, ours.Get(), bitmapBrushProperties, brush);
    });
}

template <class Interface>
HRESULT RenderTarget<Interface>::CreateSolidColorBrush(const D2D1_COLOR_F* color, const D2D1_BRUSH_PROPERTIES* brushProperties,
                                                       ID2D1SolidColorBrush** brush) {
    return Guarded([&]() -> HRESULT {
        if (!brush) return E_POINTER;
        *brush = nullptr;
        if (!color) return E_INVALIDARG;
        if (brushProperties) return Hr(D2DERR_UNSUPPORTED_OPERATION);
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_BRUSH);
        if (FAILED(injected)) return injected;
        return SolidColorBrush::Create(factory_, *color, brush);
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

// Tessary asks for GDI-compatible premultiplied BGRA targets by pixel size, with the same size in DIPs
// or none; other forms are not made.
template <class Interface>
HRESULT RenderTarget<Interface>::CreateCompatibleRenderTarget(const D2D1_SIZE_F* desiredSize, const D2D1_SIZE_U* desiredPixelSize,
                                                              const D2D1_PIXEL_FORMAT* desiredFormat,
                                                              D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS options,
                                                              ID2D1BitmapRenderTarget** out) {
    return Guarded([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (options != D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE || !desiredPixelSize ||
            (desiredSize && (desiredSize->width != float(desiredPixelSize->width) ||
                             desiredSize->height != float(desiredPixelSize->height))))
            return Hr(D2DERR_UNSUPPORTED_OPERATION);
        if (desiredFormat && !SameFormat(*desiredFormat, kTargetFormat)) return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCreateFailure(SOFTD2D_RESOURCE_COMPATIBLE_TARGET);
        if (FAILED(injected)) return injected;
        return BitmapRenderTarget::Create(factory_, *desiredPixelSize, out);
    });
}


// ---- GDI interop ------------------------------------------------------------------------

template <class Interface>
HRESULT RenderTarget<Interface>::GetDC(D2D1_DC_INITIALIZE_MODE mode, HDC* hdc) {
    return Guarded([&]() -> HRESULT {
        if (!hdc) return E_POINTER;
        *hdc = nullptr;
        // Tessary reads and draws over the pixels as they are; it never asks for them cleared.
        if (mode != D2D1_DC_INITIALIZE_MODE_COPY) return Hr(D2DERR_UNSUPPORTED_OPERATION);
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCallFailure();
        if (FAILED(injected)) return injected;
        if (!drawing_ || gdiDc_ || !pixels_ || !pixels_->Dib()) return Hr(D2DERR_WRONG_STATE);
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return E_OUTOFMEMORY;
        HGDIOBJ previous = SelectObject(dc, pixels_->Dib());
        if (!previous || previous == HGDI_ERROR) {
            DeleteDC(dc);
            return Hr(D2DERR_WIN32_ERROR);
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
    const HRESULT injected = TakeCallFailure();
    if (FAILED(injected)) return injected;
    if (!gdiDc_) return Hr(D2DERR_WRONG_STATE);
    ReleaseGdiDc();
    return S_OK;
}

// Both target kinds, member by member: the class itself is instantiated in render_target.cpp.
#define SOFTD2D_INSTANTIATE_RESOURCES(T) \
    template HRESULT RenderTarget<T>::CreateBitmap(D2D1_SIZE_U, const void*, UINT32, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**); \
    template HRESULT RenderTarget<T>::CreateBitmapFromWicBitmap(IWICBitmapSource*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**); \
    template HRESULT RenderTarget<T>::CreateSharedBitmap(REFIID, void*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**); \
    template HRESULT RenderTarget<T>::CreateBitmapBrush(ID2D1Bitmap*, const D2D1_BITMAP_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1BitmapBrush**); \
    template HRESULT RenderTarget<T>::CreateSolidColorBrush(const D2D1_COLOR_F*, const D2D1_BRUSH_PROPERTIES*, ID2D1SolidColorBrush**); \
    template HRESULT RenderTarget<T>::CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA, D2D1_EXTEND_MODE, ID2D1GradientStopCollection**); \
    template HRESULT RenderTarget<T>::CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1LinearGradientBrush**); \
    template HRESULT RenderTarget<T>::CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1RadialGradientBrush**); \
    template HRESULT RenderTarget<T>::CreateCompatibleRenderTarget(const D2D1_SIZE_F*, const D2D1_SIZE_U*, const D2D1_PIXEL_FORMAT*, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS, ID2D1BitmapRenderTarget**); \
    template HRESULT RenderTarget<T>::CreateLayer(const D2D1_SIZE_F*, ID2D1Layer**); \
    template HRESULT RenderTarget<T>::CreateMesh(ID2D1Mesh**); \
    template HRESULT RenderTarget<T>::GetDC(D2D1_DC_INITIALIZE_MODE, HDC*); \
    template HRESULT RenderTarget<T>::ReleaseDC(const RECT*);
SOFTD2D_INSTANTIATE_RESOURCES(ID2D1BitmapRenderTarget)
SOFTD2D_INSTANTIATE_RESOURCES(ID2D1DCRenderTarget)
#undef SOFTD2D_INSTANTIATE_RESOURCES

}  // namespace softd2d
