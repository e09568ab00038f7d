// Layered presentation: the changed part of the surface goes to the screen through
// UpdateLayeredWindowIndirect, in the few dirty rectangles that cost least to send (see
// dirty_rectangles.h), composed through the shape mask when shaped.
#include "frame/context.h"
#include "frame/registries.h"
#include "surface/region.h"
#include "window/dirty_rectangles.h"
#include "window/window_internal.h"

using namespace tessary;
using namespace tessary::window;

namespace {

// Sends the changed area `update` from the source's pixels to the window. The device context comes
// from the target's GDI interop, so no pixels are copied on the way. The source holds the whole
// current picture, so a dirty rectangle larger than the changed area shows current pixels too.
void SendRectangles(HWND window, ID2D1RenderTarget* source, HRGN update, SIZE size, uint8_t opacity)
{
    ID2D1GdiInteropRenderTarget* interop = nullptr;
    if (FAILED(source->QueryInterface(__uuidof(ID2D1GdiInteropRenderTarget), reinterpret_cast<void**>(&interop))) ||
        !interop)
        return;
    source->BeginDraw();
    HDC dc = nullptr;
    if (SUCCEEDED(interop->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc)) && dc) {
        POINT sourcePoint{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
        UPDATELAYEREDWINDOWINFO info{};
        info.cbSize = sizeof(UPDATELAYEREDWINDOWINFO);
        info.hdcDst = nullptr;
        info.pptDst = nullptr; // the window keeps its position
        info.psize = &size;
        info.hdcSrc = dc;
        info.pptSrc = &sourcePoint;
        info.crKey = 0;
        info.pblend = &blend;
        info.dwFlags = ULW_ALPHA;
        std::vector<RECT> changed, dirty;
        ForEachRegionRect(update, [&](const RECT& rect) { changed.push_back(rect); });
        ChooseDirtyRectangles(changed, dirty);
        const auto updateLayered = Context().updateLayeredWindowIndirect;
        for (const RECT& rect : dirty) {
            info.prcDirty = &rect;
            updateLayered(window, &info); // a failed update is not retried; the region is consumed anyway
        }
        const RECT nothingDrawn{0, 0, 0, 0};
        interop->ReleaseDC(&nothingDrawn);
    }
    NotifyIfDeviceLost(source->EndDraw(nullptr, nullptr));
    interop->Release();
}

} // namespace

uint32_t Class_ZkWindowD2D::Present()
{
    if (!createdFlag)
        return ZK_E_WINDOW_NOT_CREATED;
    if (!ownTarget)
        return ZK_FAIL;
    ComponentGuard guard(this, kLinePresent);
    if (!guard.Held())
        return ZK_FAIL;
    GraphicsLockGuard lock;
    if (!Context().updateLayeredWindowIndirect || !modified)
        return ZK_OK;

    // Only the client area exists on screen; a region already inside it is left as it is.
    FoldUpdateRegion();
    RECT box{};
    GetRgnBox(updateRegion.handle, &box);
    if (box.left < 0 || box.top < 0 || box.right > clientWidth || box.bottom > clientHeight) {
        SetRectRgn(updateRegion.scratch, 0, 0, clientWidth, clientHeight);
        CombineRgn(updateRegion.handle, updateRegion.handle, updateRegion.scratch, RGN_AND);
        DropGdiplusRegion(updateRegion);
    }

    if (IsUsableRegionHandle(updateRegion.handle) && GetRegionData(updateRegion.handle, 0, nullptr) >= 1) {
        EndDrawPass();
        ID2D1RenderTarget* source = ownTarget;
        if (shapeMaskBitmap && compositionTarget) {
            ComposeThroughShape();
            source = compositionTarget;
        }
        SendRectangles(windowHandle, source, updateRegion.handle, SIZE{clientWidth, clientHeight}, windowOpacity);
    }

    // Consumed whether or not anything reached the screen; the update box keeps its last bounds.
    modified = 0;
    SetRectRgn(updateRegion.handle, 0, 0, 0, 0);
    DropGdiplusRegion(updateRegion);
    ForgetUpdateAdditions();
    return ZK_OK;
}

void Class_ZkWindowD2D::ComposeThroughShape()
{
    ID2D1BitmapRenderTarget* ownBitmapTarget = nullptr;
    ID2D1Bitmap* surfaceBitmap = nullptr;
    ownTarget->QueryInterface(__uuidof(ID2D1BitmapRenderTarget), reinterpret_cast<void**>(&ownBitmapTarget));
    if (ownBitmapTarget)
        ownBitmapTarget->GetBitmap(&surfaceBitmap);
    if (!surfaceBitmap) {
        // Nothing to compose from: the composition target is presented as it stands.
        ReleaseAndNull(ownBitmapTarget);
        return;
    }

    compositionTarget->BeginDraw();
    compositionTarget->Clear(nullptr);
    {
        // The brush is made on a temporary target of the same device, as the own target's bitmap
        // belongs to that device and not to the composition target.
        ID2D1BitmapBrush* brush = nullptr;
        if (ID2D1DCRenderTarget* device = FindWindowTarget(windowKey)) {
            ID2D1BitmapRenderTarget* temporary = nullptr;
            const D2D1_SIZE_F size{surfaceRect.width, surfaceRect.height};
            const D2D1_SIZE_U pixels{static_cast<UINT32>(surfaceRect.width), static_cast<UINT32>(surfaceRect.height)};
            const D2D1_PIXEL_FORMAT format{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
            device->CreateCompatibleRenderTarget(&size, &pixels, &format,
                                                 D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, &temporary);
            if (temporary) {
                const D2D1_BITMAP_BRUSH_PROPERTIES properties{D2D1_EXTEND_MODE_CLAMP, D2D1_EXTEND_MODE_CLAMP,
                                                              D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR};
                temporary->CreateBitmapBrush(surfaceBitmap, &properties, nullptr, &brush);
                temporary->Release();
            }
        }
        if (brush) {
            const D2D1_ANTIALIAS_MODE remembered = compositionTarget->GetAntialiasMode();
            compositionTarget->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED);
            const D2D1_RECT_F whole{0.0f, 0.0f, static_cast<float>(clientWidth), static_cast<float>(clientHeight)};
            compositionTarget->FillOpacityMask(shapeMaskBitmap, brush, D2D1_OPACITY_MASK_CONTENT_GRAPHICS, &whole,
                                               &whole);
            compositionTarget->SetAntialiasMode(remembered);
            brush->Release();
        }
    }
    NotifyIfDeviceLost(compositionTarget->EndDraw(nullptr, nullptr));
    ReleaseAndNull(surfaceBitmap);
    ReleaseAndNull(ownBitmapTarget);
}

uint32_t Class_ZkWindowD2D::Invalidate(const RECT* rect)
{
    if (!windowHandle)
        return ZK_OK;
    if (rect) {
        // Not clipped here: Present clips to the client area.
        GraphicsLockGuard lock;
        modified = 1;
        AddToUpdateRegion(*rect);
    }
    Present();
    return ZK_OK;
}
