#include "wic_upload.h"

namespace softd2d {

HRESULT UploadWicBitmap(Factory* factory, IWICBitmapSource* source, Bitmap** out) {
    *out = nullptr;
    WICPixelFormatGUID wicFormat;
    HRESULT hr = source->GetPixelFormat(&wicFormat);
    if (FAILED(hr)) return hr;
    if (wicFormat != GUID_WICPixelFormat32bppPBGRA) return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
    UINT width = 0, height = 0;
    hr = source->GetSize(&width, &height);
    if (FAILED(hr)) return hr;
    ComPtr<Bitmap> bitmap;
    hr = Bitmap::Create(factory, {width, height}, kTargetFormat, false, bitmap.Out());
    if (FAILED(hr)) return hr;
    const Surface& s = bitmap->Pixels();
    hr = source->CopyPixels(nullptr, static_cast<UINT>(s.stride), static_cast<UINT>(s.stride * s.height), s.bits);
    if (FAILED(hr)) return hr;
    *out = bitmap.Detach();
    return S_OK;
}

}  // namespace softd2d
