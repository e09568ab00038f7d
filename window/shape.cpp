// The window's shape: a region the host hands over, turned into an 8-bit mask and a composition
// target through which every presentation is drawn.
#include "frame/context.h"
#include "frame/registries.h"
#include "surface/region.h"
#include "window/window_internal.h"
#include <cstring>
#include <memory>
#include <new>

using namespace tessary;
using namespace tessary::window;

namespace {

// 255 inside the shape clipped to the client area, 0 elsewhere; rows of `width` bytes.
void FillShapeMask(uint8_t* mask, int32_t width, int32_t height, HRGN shape)
{
    HRGN copy = nullptr;
    const DWORD size = GetRegionData(shape, 0, nullptr);
    if (size >= 1) {
        std::unique_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[size]);
        if (data && GetRegionData(shape, size, reinterpret_cast<RGNDATA*>(data.get())) != 0)
            copy = ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(data.get()));
    }
    if (!copy)
        copy = CreateRectRgn(0, 0, 0, 0);
    HRGN client = CreateRectRgn(0, 0, 0, 0);
    SetRectRgn(client, 0, 0, width, height);
    CombineRgn(copy, copy, client, RGN_AND);

    std::memset(mask, 0, static_cast<size_t>(width) * static_cast<size_t>(height));
    ForEachRegionRect(copy, [&](const RECT& r) {
        for (LONG y = r.top; y < r.bottom; ++y)
            std::memset(mask + static_cast<size_t>(y) * width + r.left, 255, static_cast<size_t>(r.right - r.left));
    });
    DeleteObject(copy);
    DeleteObject(client);
}

} // namespace

void Class_ZkWindowD2D::SetShape(Class_ZkRegion* shape)
{
    // Handing the held region over again must not destroy it.
    if (shape != shapeRegion)
        DestroyOwnedRegion(shapeRegion);
    shapeRegion = shape;
    RebuildShapeMask();
}

void Class_ZkWindowD2D::RebuildShapeMask()
{
    GraphicsLockGuard lock;
    ReleaseAndNull(compositionTarget);
    delete[] shapeMask;
    shapeMask = nullptr;
    ReleaseAndNull(shapeMaskBitmap);
    if (!shapeRegion)
        return;

    // Without a client area, or without memory for its mask, the window presents unshaped.
    if (clientWidth > 0 && clientHeight > 0)
        shapeMask = new (std::nothrow) uint8_t[static_cast<size_t>(clientWidth) * static_cast<size_t>(clientHeight)];
    if (!shapeMask) {
        published = 0;
        return;
    }
    FillShapeMask(shapeMask, clientWidth, clientHeight, shapeRegion->handle);

    ID2D1DCRenderTarget* device = FindWindowTarget(windowKey);
    if (device) {
        const D2D1_SIZE_F size{static_cast<float>(clientWidth), static_cast<float>(clientHeight)};
        const D2D1_SIZE_U pixels{static_cast<UINT32>(clientWidth), static_cast<UINT32>(clientHeight)};
        const D2D1_PIXEL_FORMAT format{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
        device->CreateCompatibleRenderTarget(&size, &pixels, &format,
                                             D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_GDI_COMPATIBLE, &compositionTarget);
    }
    if (!compositionTarget) {
        // The mask stays for the next rebuild; presentation goes on without the shape.
        published = 0;
        return;
    }
    const D2D1_BITMAP_PROPERTIES properties{{DXGI_FORMAT_A8_UNORM, D2D1_ALPHA_MODE_STRAIGHT}, 0.0f, 0.0f};
    compositionTarget->CreateBitmap(D2D1_SIZE_U{static_cast<UINT32>(clientWidth), static_cast<UINT32>(clientHeight)},
                                    shapeMask, static_cast<UINT32>(clientWidth), &properties, &shapeMaskBitmap);
}
