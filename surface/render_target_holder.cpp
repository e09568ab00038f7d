// The surface's Direct2D resources: the drawing pass on its own target, the GDI+ upload at the end
// of a pass, the masked copy, and the rebuild after device loss.
//
// EndDrawPass and PublishSurface call each other (an upload republishes, a publish ends the pass
// first); the recursion ends because the drawing flag is cleared before the upload and the upload
// flag before the publish.
#include "frame/context.h"
#include "frame/registries.h"
#include "surface/surface.h"
#include "text/text_format_cache.h"
#include <gdiplus.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;
using namespace tessary;

void Class_ZkGraphicSurfaceD2D::BeginDrawPass()
{
    if (ownTarget && !drawing) {
        ownTarget->BeginDraw();
        drawing = 1;
    }
}

void Class_ZkGraphicSurfaceD2D::EndDrawPass()
{
    if (ownTarget && drawing) {
        const HRESULT result = ownTarget->EndDraw(nullptr, nullptr);
        drawing = 0;
        NotifyIfDeviceLost(result);
    }
    if (gdiplusBitmap && gdiplusUpload) {
        UploadGdiplusBitmap();
        gdiplusUpload = 0;
        PublishSurface();
    }
}

void Class_ZkGraphicSurfaceD2D::UploadGdiplusBitmap()
{
    const PixelBox box = PixelBoxOf(surfaceRect);
    const Gdiplus::Rect lockRect(box.x, box.y, box.width, box.height);
    Gdiplus::BitmapData data{};
    // The C++ wrapper keeps a failing status as the bitmap's last status, as the host expects to read it.
    const bool locked = gdiplusBitmap->LockBits(&lockRect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                                &data) == Gdiplus::Ok;
    ComPtr<ID2D1BitmapRenderTarget> bitmapTarget;
    if (locked && ownTarget && SUCCEEDED(ownTarget->QueryInterface(bitmapTarget.GetAddressOf()))) {
        ComPtr<ID2D1Bitmap> bitmap;
        bitmapTarget->GetBitmap(bitmap.GetAddressOf());
        // Straight-alpha rows go in as they are: the host draws what it wants the pixels to be.
        if (bitmap)
            bitmap->CopyFromMemory(nullptr, data.Scan0, UINT32(data.Stride));
    }
    // Unlocked even after a failed lock, so the bitmap's last status tells the host what went wrong.
    gdiplusBitmap->UnlockBits(&data);
}

uint32_t Class_ZkGraphicSurfaceD2D::PublishSurface()
{
    if (!createdFlag)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    if (!opacityBuffer || !opacityBufferWidth || !opacityBufferHeight)
        return ZK_OK;
    // The pass ends before anything is replaced: an upload it triggers publishes on its own, and this
    // publish then starts from that state rather than from a masked copy swapped underneath it.
    EndDrawPass();
    if (maskedCopy) {
        maskedCopy->Release();
        maskedCopy = nullptr;
    }
    ComPtr<ID2D1BitmapRenderTarget> created;
    if (!CreateCompatibleTarget(created.GetAddressOf()) || FAILED(created->QueryInterface(&maskedCopy)) || !maskedCopy) {
        published = 0;
        return ZK_FAIL;
    }

    ComPtr<ID2D1Bitmap> ownBitmap;
    ComPtr<ID2D1BitmapRenderTarget> ownBitmapTarget;
    if (ownTarget && SUCCEEDED(ownTarget->QueryInterface(ownBitmapTarget.GetAddressOf())))
        ownBitmapTarget->GetBitmap(ownBitmap.GetAddressOf());

    ComPtr<ID2D1BitmapBrush> brush;
    if (ownBitmap) {
        const D2D1_BITMAP_BRUSH_PROPERTIES brushProperties{D2D1_EXTEND_MODE_CLAMP, D2D1_EXTEND_MODE_CLAMP,
                                                           D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR};
        created->CreateBitmapBrush(ownBitmap.Get(), &brushProperties, nullptr, brush.GetAddressOf());
    }
    const D2D1_SIZE_U pixelSize{TruncateToU32(surfaceRect.width), TruncateToU32(surfaceRect.height)};
    ComPtr<ID2D1Bitmap> mask;
    // The buffer covers the surface (Resize drops it); the bound only guards against reading past it.
    if (pixelSize.width <= opacityBufferWidth && pixelSize.height <= opacityBufferHeight) {
        const D2D1_BITMAP_PROPERTIES maskProperties{{DXGI_FORMAT_A8_UNORM, D2D1_ALPHA_MODE_STRAIGHT}, 0.0f, 0.0f};
        created->CreateBitmap(pixelSize, opacityBuffer, opacityBufferWidth, &maskProperties, mask.GetAddressOf());
    }

    const D2D1_RECT_F whole{0.0f, 0.0f, surfaceRect.width, surfaceRect.height};
    maskedCopy->BeginDraw();
    maskedCopy->Clear(nullptr);
    maskedCopy->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED);
    if (brush && mask)
        maskedCopy->FillOpacityMask(mask.Get(), brush.Get(), D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &whole, &whole);
    maskedCopy->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    NotifyIfDeviceLost(maskedCopy->EndDraw(nullptr, nullptr));
    published = 1;
    return ZK_OK;
}

ID2D1RenderTarget* Class_ZkGraphicSurfaceD2D::GetRenderTarget()
{
    GraphicsLockGuard lock;
    if (!ownTarget)
        return nullptr;
    EndDrawPass();
    // The pass above may have published, but never replaces the own target.
    ownTarget->AddRef();
    return ownTarget;
}

ID2D1DCRenderTarget* Class_ZkGraphicSurfaceD2D::GetWindowRenderTarget()
{
    GraphicsLockGuard lock;
    ID2D1DCRenderTarget* windowTarget = FindWindowTarget(windowKey);
    if (windowTarget)
        windowTarget->AddRef();
    return windowTarget;
}

// Acts on the one process-wide cache: any object can empty it.
void Class_ZkGraphicSurfaceD2D::ReleaseTextFormats()
{
    GraphicsLockGuard lock;
    ReleaseAllTextFormats();
}

uint32_t Class_ZkGraphicSurfaceD2D::RecreateDeviceResources()
{
    if (!createdFlag)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    EndDrawPass();
    if (maskedCopy) {
        maskedCopy->Release();
        maskedCopy = nullptr;
    }
    // The old own target stays in place when no new one can be made.
    if (MakeOwnTarget() != ZK_OK) {
        published = 0;
        return ZK_FAIL;
    }
    // The new target is blank: the whole surface is to be redrawn and presented.
    modified = 1;
    AddToUpdateRegion(PixelRect(surfaceRect));
    PublishSurface();
    return ZK_OK;
}
