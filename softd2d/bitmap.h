#pragma once
#include "com_base.h"
#include "raster/surface.h"

namespace softd2d {

class Factory;

// Largest width or height of any bitmap or target, as on Direct3D 10 hardware.
constexpr UINT32 kMaxBitmapSize = 16384;

// The two formats Tessary uses: premultiplied BGRA for targets and pictures, straight A8 for masks.
constexpr D2D1_PIXEL_FORMAT kTargetFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
constexpr D2D1_PIXEL_FORMAT kMaskFormat = {DXGI_FORMAT_A8_UNORM, D2D1_ALPHA_MODE_STRAIGHT};

inline bool SameFormat(const D2D1_PIXEL_FORMAT& a, const D2D1_PIXEL_FORMAT& b) {
    return a.format == b.format && a.alphaMode == b.alphaMode;
}

// Validates a requested size: E_INVALIDARG for zero, D2DERR_MAX_TEXTURE_SIZE_EXCEEDED above
// kMaxBitmapSize, checked before anything is allocated.
HRESULT CheckBitmapSize(D2D1_SIZE_U size);

// 4 for kTargetFormat, 1 for kMaskFormat, 0 for any other format.
UINT32 BytesPerPixel(const D2D1_PIXEL_FORMAT& format);

class Bitmap final : public ID2D1Bitmap, public RefCounted {
public:
    // Pixels start transparent black, on the heap, at 96 DPI. A `gdiCompatible` bitmap moves them
    // into a top-down DIB section that a memory DC can select the first time GDI needs it (Dib),
    // so only the bitmaps GDI reaches hold a section: GDI handles are scarce, and a section per
    // bitmap makes each one cost more the more there are. Size and format are checked first.
    static HRESULT Create(Factory* factory, D2D1_SIZE_U size, D2D1_PIXEL_FORMAT format, bool gdiCompatible,
                          Bitmap** out);

    const Surface& Pixels() const { return surface_; }
    // The DIB section holding the pixels of a GDI-compatible bitmap, made on first use; null for
    // other bitmaps or when GDI refuses one (the pixels then stay where they are).
    HBITMAP Dib();
    Factory* Owner() const { return factory_; }
    bool IsAlphaOnly() const { return surface_.bytesPerPixel == 1; }

    // Copies every row from `src`, whose rows are `pitch` bytes apart.
    void Write(const uint8_t* src, size_t pitch);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    // ID2D1Resource
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** factory) const override;
    // ID2D1Bitmap
    // MinGW declares aggregate returns explicitly, matching the Microsoft ABI.
    using ID2D1Bitmap::GetPixelFormat;
    using ID2D1Bitmap::GetPixelSize;
    using ID2D1Bitmap::GetSize;
    D2D1_SIZE_F* STDMETHODCALLTYPE GetSize(D2D1_SIZE_F* size) const override;
    D2D1_SIZE_U* STDMETHODCALLTYPE GetPixelSize(D2D1_SIZE_U* size) const override;
    D2D1_PIXEL_FORMAT* STDMETHODCALLTYPE GetPixelFormat(D2D1_PIXEL_FORMAT* format) const override;
    void STDMETHODCALLTYPE GetDpi(FLOAT* dpiX, FLOAT* dpiY) const override;
    HRESULT STDMETHODCALLTYPE CopyFromBitmap(const D2D1_POINT_2U* destPoint, ID2D1Bitmap* bitmap, const D2D1_RECT_U* srcRect) override;
    HRESULT STDMETHODCALLTYPE CopyFromRenderTarget(const D2D1_POINT_2U* destPoint, ID2D1RenderTarget* renderTarget, const D2D1_RECT_U* srcRect) override;
    HRESULT STDMETHODCALLTYPE CopyFromMemory(const D2D1_RECT_U* dstRect, const void* srcData, UINT32 pitch) override;

private:
    explicit Bitmap(Factory* factory);
    ~Bitmap() override;
    HRESULT CopyFrom(const D2D1_POINT_2U* destPoint, const Bitmap& source, const D2D1_RECT_U* srcRect);

    Factory* factory_;
    Surface surface_;
    HBITMAP dib_ = nullptr;
    void* heap_ = nullptr;
    bool gdiCompatible_ = false;
};

// Whether `rect` lies within a width x height image, without overflow.
bool RectInside(const D2D1_RECT_U& rect, UINT32 width, UINT32 height);

}  // namespace softd2d
