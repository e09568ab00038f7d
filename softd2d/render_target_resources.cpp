// Resource creation of the render targets (bitmaps, brushes, compatible targets) and GDI interop,
// which lends a DC on the target's own DIB between BeginDraw and EndDraw.
#include <cmath>
#include <cstring>

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


// ---- GDI interop ------------------------------------------------------------------------

template <class Interface>
HRESULT RenderTarget<Interface>::GetDC(D2D1_DC_INITIALIZE_MODE mode, HDC* hdc) {
    return Guarded([&]() -> HRESULT {
        if (!hdc) return E_POINTER;
        *hdc = nullptr;
        if (mode != D2D1_DC_INITIALIZE_MODE_COPY && mode != D2D1_DC_INITIALIZE_MODE_CLEAR) return E_INVALIDARG;
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCallFailure();
        if (FAILED(injected)) return injected;
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
