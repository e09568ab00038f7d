#include "bitmap_render_target.h"

#include "factory.h"

namespace softd2d {

HRESULT BitmapRenderTarget::Create(Factory* factory, D2D1_SIZE_U size, D2D1_PIXEL_FORMAT format, FLOAT dpiX, FLOAT dpiY,
                                   bool gdiCompatible, ID2D1BitmapRenderTarget** out) {
    // Pixels always live in a DIB section, so GDI interop never has to copy them.
    ComPtr<Bitmap> pixels;
    HRESULT hr = Bitmap::Create(factory, size, format, dpiX, dpiY, true, pixels.Out());
    if (FAILED(hr)) return hr;
    BitmapRenderTarget* target = new (std::nothrow) BitmapRenderTarget(factory, format, dpiX, dpiY, gdiCompatible);
    if (!target) return E_OUTOFMEMORY;
    if (!target->UsePixels(std::move(pixels))) {
        target->Release();
        return E_OUTOFMEMORY;
    }
    *out = target;
    return S_OK;
}

HRESULT BitmapRenderTarget::GetBitmap(ID2D1Bitmap** bitmap) {
    if (!bitmap) return E_POINTER;
    FactoryLock lock(factory_);
    pixels_->AddRef();
    *bitmap = pixels_.Get();
    return S_OK;
}

}  // namespace softd2d
