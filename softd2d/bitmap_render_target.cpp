#include "bitmap_render_target.h"

#include "factory.h"

namespace softd2d {

HRESULT BitmapRenderTarget::Create(Factory* factory, D2D1_SIZE_U size, ID2D1BitmapRenderTarget** out) {
    // Pixels move into a DIB section when GDI first needs them, so GDI interop never copies them.
    ComPtr<Bitmap> pixels;
    HRESULT hr = Bitmap::Create(factory, size, kTargetFormat, true, pixels.Out());
    if (FAILED(hr)) return hr;
    BitmapRenderTarget* target = new (std::nothrow) BitmapRenderTarget(factory);
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
