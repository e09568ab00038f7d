#include "wic_upload.h"

#include <cmath>

namespace softd2d {

HRESULT UploadWicBitmap(Factory* factory, IWICBitmapSource* source, const D2D1_BITMAP_PROPERTIES* properties, Bitmap** out) {
    *out = nullptr;
    WICPixelFormatGUID wicFormat;
    HRESULT hr = source->GetPixelFormat(&wicFormat);
    if (FAILED(hr)) return hr;
    D2D1_ALPHA_MODE alpha;
    if (wicFormat == GUID_WICPixelFormat32bppPBGRA) alpha = D2D1_ALPHA_MODE_PREMULTIPLIED;
    else if (wicFormat == GUID_WICPixelFormat32bppBGR) alpha = D2D1_ALPHA_MODE_IGNORE;
    else return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);

    D2D1_PIXEL_FORMAT format = {DXGI_FORMAT_B8G8R8A8_UNORM, alpha};
    FLOAT dpiX = 96.0f, dpiY = 96.0f;
    if (properties) {
        const D2D1_PIXEL_FORMAT& want = properties->pixelFormat;
        if (want.format != DXGI_FORMAT_UNKNOWN && want.format != DXGI_FORMAT_B8G8R8A8_UNORM)
            return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
        if (want.alphaMode != D2D1_ALPHA_MODE_UNKNOWN && want.alphaMode != alpha)
            return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
        if (!std::isfinite(properties->dpiX) || !std::isfinite(properties->dpiY) || properties->dpiX < 0 ||
            properties->dpiY < 0)
            return E_INVALIDARG;
        if (properties->dpiX != 0) dpiX = properties->dpiX;
        if (properties->dpiY != 0) dpiY = properties->dpiY;
    }

    UINT width = 0, height = 0;
    hr = source->GetSize(&width, &height);
    if (FAILED(hr)) return hr;
    ComPtr<Bitmap> bitmap;
    hr = Bitmap::Create(factory, {width, height}, format, dpiX, dpiY, false, bitmap.Out());
    if (FAILED(hr)) return hr;
    const Surface& s = bitmap->Pixels();
    hr = source->CopyPixels(nullptr, static_cast<UINT>(s.stride), static_cast<UINT>(s.stride * s.height), s.bits);
    if (FAILED(hr)) return hr;
    if (alpha == D2D1_ALPHA_MODE_IGNORE) {
        for (int y = 0; y < s.height; ++y) {
            uint32_t* row = s.Row32(y);
            for (int x = 0; x < s.width; ++x) row[x] |= 0xff000000u;
        }
    }
    *out = bitmap.Detach();
    return S_OK;
}

}  // namespace softd2d
