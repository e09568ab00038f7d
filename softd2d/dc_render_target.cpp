#include "dc_render_target.h"

#include <cmath>

#include "factory.h"

namespace softd2d {

HRESULT DCRenderTarget::Create(Factory* factory, const D2D1_RENDER_TARGET_PROPERTIES& properties, ID2D1DCRenderTarget** out) {
    D2D1_PIXEL_FORMAT format = properties.pixelFormat;
    if (format.format == DXGI_FORMAT_UNKNOWN) format.format = DXGI_FORMAT_B8G8R8A8_UNORM;
    if (format.format != DXGI_FORMAT_B8G8R8A8_UNORM ||
        (format.alphaMode != D2D1_ALPHA_MODE_PREMULTIPLIED && format.alphaMode != D2D1_ALPHA_MODE_IGNORE))
        return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
    if (static_cast<unsigned>(properties.type) > D2D1_RENDER_TARGET_TYPE_HARDWARE ||
        (properties.usage & ~(D2D1_RENDER_TARGET_USAGE_FORCE_BITMAP_REMOTING | D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE)))
        return E_INVALIDARG;
    const FLOAT dpiX = properties.dpiX, dpiY = properties.dpiY;
    if (!std::isfinite(dpiX) || !std::isfinite(dpiY) || dpiX < 0 || dpiY < 0 || (dpiX == 0) != (dpiY == 0))
        return E_INVALIDARG;
    const bool gdi = (properties.usage & D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE) != 0;
    DCRenderTarget* target = new (std::nothrow)
        DCRenderTarget(factory, format, dpiX == 0 ? 96.0f : dpiX, dpiY == 0 ? 96.0f : dpiY, gdi);
    if (!target) return E_OUTOFMEMORY;
    *out = target;
    return S_OK;
}

HRESULT DCRenderTarget::BindDC(const HDC hdc, const RECT* subRect) {
    return Guarded([&]() -> HRESULT {
        if (!hdc || !subRect) return E_INVALIDARG;
        FactoryLock lock(factory_);
        if (drawing_) return Hr(D2DERR_WRONG_STATE);
        const int64_t width = int64_t(subRect->right) - subRect->left;
        const int64_t height = int64_t(subRect->bottom) - subRect->top;
        if (width < 0 || height < 0) return E_INVALIDARG;
        boundDc_ = hdc;
        origin_ = {subRect->left, subRect->top};
        if (width == 0 || height == 0) {
            pixels_.Reset();  // nothing to draw into; passes still succeed
            return S_OK;
        }
        const D2D1_SIZE_U size = {UINT32(width), UINT32(height)};
        HRESULT hr = CheckBitmapSize(size);
        if (FAILED(hr)) return hr;
        if (pixels_ && pixels_->GetPixelSize().width == size.width && pixels_->GetPixelSize().height == size.height)
            return S_OK;
        ComPtr<Bitmap> pixels;
        hr = Bitmap::Create(factory_, size, format_, dpiX_, dpiY_, true, pixels.Out());
        if (FAILED(hr)) return hr;
        return UsePixels(std::move(pixels)) ? S_OK : E_OUTOFMEMORY;
    });
}

bool DCRenderTarget::Transfer(bool toDc) {
    if (!boundDc_ || !pixels_) return true;
    HDC memory = CreateCompatibleDC(boundDc_);
    if (!memory) return false;
    HGDIOBJ previous = SelectObject(memory, pixels_->Dib());
    const Surface& s = pixels_->Pixels();
    const BOOL done = toDc ? BitBlt(boundDc_, origin_.x, origin_.y, s.width, s.height, memory, 0, 0, SRCCOPY)
                           : BitBlt(memory, 0, 0, s.width, s.height, boundDc_, origin_.x, origin_.y, SRCCOPY);
    GdiFlush();
    SelectObject(memory, previous);
    DeleteDC(memory);
    return done != FALSE;
}

void DCRenderTarget::OnBeginDraw() {
    // A DC that cannot be read (a printer, say) leaves the pixels as they were.
    Transfer(false);
}

HRESULT DCRenderTarget::OnEndDraw() { return Transfer(true) ? S_OK : Hr(D2DERR_WIN32_ERROR); }

}  // namespace softd2d
