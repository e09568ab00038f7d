#include "bitmap.h"

#include <malloc.h>

#include <cstring>

#include "control.h"
#include "factory.h"

namespace softd2d {

HRESULT CheckBitmapSize(D2D1_SIZE_U size) {
    if (size.width == 0 || size.height == 0) return E_INVALIDARG;
    if (size.width > kMaxBitmapSize || size.height > kMaxBitmapSize)
        return Hr(D2DERR_MAX_TEXTURE_SIZE_EXCEEDED);
    return S_OK;
}

UINT32 BytesPerPixel(const D2D1_PIXEL_FORMAT& format) {
    if (SameFormat(format, kTargetFormat)) return 4;
    return SameFormat(format, kMaskFormat) ? 1 : 0;
}

HBITMAP Bitmap::Dib() {
    if (dib_ || !gdiCompatible_) return dib_;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = surface_.width;
    info.bmiHeader.biHeight = -surface_.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        return nullptr;
    }
    std::memcpy(bits, surface_.bits, static_cast<size_t>(surface_.stride) * surface_.height);
    _aligned_free(heap_);
    heap_ = nullptr;
    surface_.bits = static_cast<uint8_t*>(bits);
    dib_ = dib;
    return dib_;
}

bool RectInside(const D2D1_RECT_U& r, UINT32 width, UINT32 height) {
    return r.left <= r.right && r.top <= r.bottom && r.right <= width && r.bottom <= height;
}

Bitmap::Bitmap(Factory* factory) : factory_(factory) { factory_->AddRef(); }

Bitmap::~Bitmap() {
    if (dib_) DeleteObject(dib_);
    _aligned_free(heap_);
    factory_->Release();
}

HRESULT Bitmap::Create(Factory* factory, D2D1_SIZE_U size, D2D1_PIXEL_FORMAT format, bool gdiCompatible,
                       Bitmap** out) {
    *out = nullptr;
    const HRESULT hr = CheckBitmapSize(size);
    if (FAILED(hr)) return hr;
    const UINT32 bytesPerPixel = BytesPerPixel(format);
    if (bytesPerPixel == 0) return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);

    Bitmap* bitmap = new (std::nothrow) Bitmap(factory);
    if (!bitmap) return E_OUTOFMEMORY;
    Surface& s = bitmap->surface_;
    s.width = static_cast<int>(size.width);
    s.height = static_cast<int>(size.height);
    s.bytesPerPixel = static_cast<int>(bytesPerPixel);
    // Rows padded to 16 bytes so SIMD loads of one row never touch the next one's page; a
    // GDI-compatible bitmap keeps the DIB's rows of exactly four bytes per pixel, and its block
    // ends with a spare row for those loads.
    bitmap->gdiCompatible_ = gdiCompatible;
    s.stride = gdiCompatible ? static_cast<ptrdiff_t>(s.width) * 4
                             : (static_cast<ptrdiff_t>(s.width) * s.bytesPerPixel + 15) & ~ptrdiff_t(15);
    const size_t bytes = static_cast<size_t>(s.stride) * s.height;
    bitmap->heap_ = _aligned_malloc(bytes + 64, 64);
    if (!bitmap->heap_) {
        bitmap->Release();
        return E_OUTOFMEMORY;
    }
    std::memset(bitmap->heap_, 0, bytes);
    s.bits = static_cast<uint8_t*>(bitmap->heap_);
    *out = bitmap;
    return S_OK;
}

HRESULT Bitmap::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == __uuidof(ID2D1Resource) || riid == __uuidof(ID2D1Image) ||
        riid == __uuidof(ID2D1Bitmap))
        return ReturnInterface<ID2D1Bitmap>(this, out);
    if (riid == IID_SoftBitmap) {
        AddRef();
        *out = this;
        return S_OK;
    }
    return E_NOINTERFACE;
}

void Bitmap::GetFactory(ID2D1Factory** factory) const {
    if (!factory) return;
    factory_->AddRef();
    *factory = factory_;
}

D2D1_SIZE_F* Bitmap::GetSize(D2D1_SIZE_F* size) const {
    *size = {float(surface_.width), float(surface_.height)};
    return size;
}

D2D1_SIZE_U* Bitmap::GetPixelSize(D2D1_SIZE_U* size) const {
    *size = {static_cast<UINT32>(surface_.width), static_cast<UINT32>(surface_.height)};
    return size;
}

D2D1_PIXEL_FORMAT* Bitmap::GetPixelFormat(D2D1_PIXEL_FORMAT* format) const {
    *format = IsAlphaOnly() ? kMaskFormat : kTargetFormat;
    return format;
}

void Bitmap::GetDpi(FLOAT* dpiX, FLOAT* dpiY) const {
    if (dpiX) *dpiX = 96.0f;
    if (dpiY) *dpiY = 96.0f;
}

void Bitmap::Write(const uint8_t* src, size_t pitch) {
    const size_t rowBytes = static_cast<size_t>(surface_.width) * surface_.bytesPerPixel;
    for (int y = 0; y < surface_.height; ++y) {
        std::memcpy(surface_.Row8(y), src, rowBytes);
        src += pitch;
    }
}

HRESULT Bitmap::CopyFrom(const D2D1_POINT_2U* destPoint, const Bitmap& source, const D2D1_RECT_U* srcRect) {
    if (source.IsAlphaOnly() != IsAlphaOnly()) return Hr(D2DERR_UNSUPPORTED_PIXEL_FORMAT);
    const Surface& s = source.surface_;
    const D2D1_RECT_U rect = srcRect ? *srcRect : D2D1_RECT_U{0, 0, UINT32(s.width), UINT32(s.height)};
    if (!RectInside(rect, s.width, s.height)) return E_INVALIDARG;
    const D2D1_POINT_2U at = destPoint ? *destPoint : D2D1_POINT_2U{0, 0};
    const uint64_t right = uint64_t(at.x) + (rect.right - rect.left);
    const uint64_t bottom = uint64_t(at.y) + (rect.bottom - rect.top);
    if (right > uint64_t(surface_.width) || bottom > uint64_t(surface_.height)) return E_INVALIDARG;
    const int bpp = surface_.bytesPerPixel;
    const size_t rowBytes = static_cast<size_t>(rect.right - rect.left) * bpp;
    for (UINT32 y = rect.top; y < rect.bottom; ++y)
        std::memcpy(surface_.Row8(static_cast<int>(at.y + y - rect.top)) + at.x * bpp,
                    s.Row8(static_cast<int>(y)) + rect.left * bpp, rowBytes);
    return S_OK;
}

HRESULT Bitmap::CopyFromBitmap(const D2D1_POINT_2U* destPoint, ID2D1Bitmap* bitmap, const D2D1_RECT_U* srcRect) {
    return Guarded([&]() -> HRESULT {
        ComPtr<Bitmap> source = Unwrap<Bitmap>(bitmap, IID_SoftBitmap);
        if (!source) return E_INVALIDARG;
        if (source->factory_ != factory_) return Hr(D2DERR_WRONG_FACTORY);
        // Tessary copies between two bitmaps; a copy within one is not made.
        if (source.Get() == this) return Hr(D2DERR_UNSUPPORTED_OPERATION);
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCallFailure();
        if (FAILED(injected)) return injected;
        return CopyFrom(destPoint, *source.Get(), srcRect);
    });
}

// Tessary copies between bitmaps and from memory only.
HRESULT Bitmap::CopyFromRenderTarget(const D2D1_POINT_2U*, ID2D1RenderTarget*, const D2D1_RECT_U*) {
    return Hr(D2DERR_UNSUPPORTED_OPERATION);
}

// Tessary uploads whole bitmaps; a copy into part of one is not made.
HRESULT Bitmap::CopyFromMemory(const D2D1_RECT_U* dstRect, const void* srcData, UINT32 pitch) {
    return Guarded([&]() -> HRESULT {
        if (dstRect) return Hr(D2DERR_UNSUPPORTED_OPERATION);
        if (!srcData) return E_INVALIDARG;
        if (surface_.height > 1 && pitch < uint64_t(surface_.width) * surface_.bytesPerPixel) return E_INVALIDARG;
        FactoryLock lock(factory_);
        const HRESULT injected = TakeCallFailure();
        if (FAILED(injected)) return injected;
        Write(static_cast<const uint8_t*>(srcData), pitch);
        return S_OK;
    });
}

}  // namespace softd2d
