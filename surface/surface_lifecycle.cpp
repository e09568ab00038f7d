// Construction, creation, reset, resize and destruction of a surface, and the own target they make.
#include "component/create_record.h"
#include "frame/context.h"
#include "frame/registries.h"
#include "surface/region.h"
#include "surface/surface.h"
#include <gdiplus.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;
using namespace tessary;

Class_ZkGraphicSurfaceD2D::Class_ZkGraphicSurfaceD2D()
{
    InitRegion(updateRegion);
    InitRegion(clipRegion);
    SetCoreData(static_cast<Class_ZkGraphicSurfaceD2D*>(this), sizeof(Class_ZkGraphicSurfaceD2D),
                ZK_FOURCC_SURFACE_IMPL);
    ReleaseSurfaceState();
    try {
        RegisterObject(this);
    } catch (...) {
        // The destructor will not run for a constructor that throws; the factory reports the failure.
        DestroyRegion(updateRegion);
        DestroyRegion(clipRegion);
        throw;
    }
}

Class_ZkGraphicSurfaceD2D::~Class_ZkGraphicSurfaceD2D()
{
    UnregisterObject(this);
    // A host that releases without ResetData would otherwise leak the targets and buffers.
    ReleaseSurfaceState();
    DestroyRegion(clipRegion);
    DestroyRegion(updateRegion);
}

uint32_t Class_ZkGraphicSurfaceD2D::Create(const void* record)
{
    return CreateSurface(static_cast<const ZkSurfaceCreateInfo*>(record));
}

uint32_t Class_ZkGraphicSurfaceD2D::CreateSurface(const ZkSurfaceCreateInfo* info)
{
    if (const uint32_t code = CheckCreateRecord(createdFlag, info, ZK_FOURCC_SURFACE, sizeof(ZkSurfaceCreateInfo),
                                                SurfaceCreateCodes))
        return code;
    GraphicsLockGuard lock;
    surfaceRect = RectF{0, 0, float(info->width), float(info->height)};
    windowKey = info->windowKey;
    if (MakeOwnTarget() != ZK_OK)
        return ZK_FAIL;
    bltRect = surfaceRect;
    // The clip handle is empty after construction or ResetData, so OR-ing makes it the whole surface.
    const RECT whole = PixelRect(surfaceRect);
    SetRectRgn(clipRegion.scratch, whole.left, whole.top, whole.right, whole.bottom);
    CombineRgn(clipRegion.handle, clipRegion.handle, clipRegion.scratch, RGN_OR);
    DropGdiplusRegion(clipRegion);
    ClipRegionChanged();
    modified = 1;
    AddToUpdateRegion(whole);
    createdFlag = 1;
    return ZK_OK;
}

uint32_t Class_ZkGraphicSurfaceD2D::ResetData() { return ResetSurface(); }

uint32_t Class_ZkGraphicSurfaceD2D::ResetSurface()
{
    ReleaseSurfaceState();
    return Class_QUOR::ResetData();
}

void Class_ZkGraphicSurfaceD2D::ReleaseSurfaceState()
{
    opacity = 255;
    modified = 1;
    surfaceRect = RectF{};
    // A reset between LockAlphaMask and UnlockAlphaMask gives back the lock the host would have left.
    if (alphaMaskLocked && CallerHoldsGraphicsLock())
        LeaveCriticalSection(&Context().graphicsLock);
    alphaMaskLocked = 0;
    bltRect = RectF{};
    EmptyUpdateRegion();
    SetRectRgn(clipRegion.handle, 0, 0, 0, 0);
    DropGdiplusRegion(clipRegion);
    clipKind = NULLREGION;
    clipBox = RECT{};
    delete[] opacityBuffer;
    opacityBuffer = nullptr;
    opacityBufferWidth = 0;
    opacityBufferHeight = 0;
    updateOnClear = 0;
    if (ownTarget) {
        if (drawing)
            ownTarget->EndDraw(nullptr, nullptr);
        ownTarget->Release();
        ownTarget = nullptr;
    }
    if (maskedCopy) {
        maskedCopy->Release();
        maskedCopy = nullptr;
    }
    drawing = 0;
    published = 0;
    // GDI+'s virtual deleting destructor: disposes the image and frees the object on GDI+'s heap.
    delete gdiplusBitmap;
    gdiplusBitmap = nullptr;
    gdiplusUpload = 0;
    // The window key stays: a later Create names it again anyway.
}

uint32_t Class_ZkGraphicSurfaceD2D::Resize(const SIZE* size)
{
    if (!createdFlag || !size)
        return ZK_FAIL;
    GraphicsLockGuard lock;
    // The host is still writing into the opacity buffer that a resize would free.
    if (alphaMaskLocked)
        return ZK_FAIL;
    if (maskedCopy) {
        published = 0;
        maskedCopy->Release();
        maskedCopy = nullptr;
    }
    surfaceRect.width = float(size->cx);
    surfaceRect.height = float(size->cy);
    if (ownTarget) {
        if (drawing) {
            ownTarget->EndDraw(nullptr, nullptr);
            drawing = 0;
        }
        ownTarget->Release();
        ownTarget = nullptr;
    }
    // The buffer goes on both paths: the next LockAlphaMask sizes a new one from the new rectangle,
    // and one of the old size must never be taken for it.
    delete[] opacityBuffer;
    opacityBuffer = nullptr;
    if (MakeOwnTarget() != ZK_OK)
        return ZK_FAIL;
    modified = 1;
    AddToUpdateRegion(PixelRect(surfaceRect));
    return ZK_OK;
}

uint32_t Class_ZkGraphicSurfaceD2D::MakeOwnTarget()
{
    ComPtr<ID2D1BitmapRenderTarget> created;
    if (!CreateCompatibleTarget(created.GetAddressOf()))
        return ZK_FAIL;
    created->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    ComPtr<ID2D1RenderTarget> target;
    if (FAILED(created.As(&target)) || !target)
        return ZK_FAIL;
    if (ownTarget)
        ownTarget->Release();
    ownTarget = target.Detach();
    return ZK_OK;
}

bool Class_ZkGraphicSurfaceD2D::CreateCompatibleTarget(ID2D1BitmapRenderTarget** created)
{
    *created = nullptr;
    ID2D1DCRenderTarget* windowTarget = FindWindowTarget(windowKey);
    if (!windowTarget)
        return false;
    // Equal DIP and pixel sizes: device-independent pixels are pixels on every surface.
    const D2D1_SIZE_F size{surfaceRect.width, surfaceRect.height};
    const D2D1_SIZE_U pixelSize{TruncateToU32(surfaceRect.width), TruncateToU32(surfaceRect.height)};
    const D2D1_PIXEL_FORMAT format{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
    const HRESULT result = windowTarget->CreateCompatibleRenderTarget(
        &size, &pixelSize, &format, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, created);
    if (SUCCEEDED(result) && *created)
        return true;
    if (*created)
        (*created)->Release();
    *created = nullptr;
    return false;
}
