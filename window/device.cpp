// The window as the owner of the device: its window target, and what it rebuilds after device loss.
#include "frame/context.h"
#include "frame/registries.h"
#include "window/window_internal.h"

using namespace tessary;
using namespace tessary::window;

namespace tessary::window {

ID2D1DCRenderTarget* MakeWindowTarget()
{
    ID2D1Factory* factory = Context().d2dFactory;
    if (!factory)
        return nullptr;
    // Never bound to a device context: it is the device every other target of the window is made from.
    const D2D1_RENDER_TARGET_PROPERTIES properties{D2D1_RENDER_TARGET_TYPE_HARDWARE,
                                                   {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED},
                                                   0.0f,
                                                   0.0f,
                                                   D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE,
                                                   D2D1_FEATURE_LEVEL_DEFAULT};
    ID2D1DCRenderTarget* target = nullptr;
    if (FAILED(factory->CreateDCRenderTarget(&properties, &target)) || !target) {
        if (target)
            target->Release();
        return nullptr;
    }
    target->BeginDraw();
    target->Clear(nullptr);
    target->EndDraw(nullptr, nullptr);
    return target;
}

void PaintClientBlack(HWND window)
{
    if (!window)
        return; // GetDC(NULL) would be the whole screen
    HDC dc = GetDC(window);
    if (!dc)
        return;
    RECT client{};
    GetClientRect(window, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(window, dc);
}

} // namespace tessary::window

uint32_t Class_ZkWindowD2D::RecreateWindowTarget()
{
    if (!windowHandle)
        return 0; // never created: nothing is registered to renew
    ID2D1DCRenderTarget* replacement = MakeWindowTarget();
    if (!replacement)
        return 0;
    // The registry shares the window's reference, so it names the new target before the old one goes.
    try {
        RegisterWindowTarget(reinterpret_cast<uint64_t>(windowHandle), this, replacement);
    } catch (...) {
        replacement->Release();
        return 0;
    }
    ID2D1DCRenderTarget* old = windowTarget;
    windowTarget = replacement;
    if (old)
        old->Release();
    return 1;
}

uint32_t Class_ZkWindowD2D::RecreateDeviceResources()
{
    if (Class_ZkGraphicSurfaceD2D::RecreateDeviceResources() != ZK_OK)
        return ZK_FAIL;
    PaintClientBlack(windowHandle);
    RebuildShapeMask();
    return ZK_OK;
}
