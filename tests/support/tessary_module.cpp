#include "tessary_module.h"
#include "support/softd2d_control.h"

namespace tessary_test {

namespace {

template <class F>
void Resolve(HMODULE module, int ordinal, F& entry)
{
    entry = ProcAddress<F>(module, MAKEINTRESOURCEA(ordinal));
}

} // namespace

bool TessaryModule::Load()
{
    module = LoadLibraryW(L"tessary.dll");
    if (!module)
        return false;
    Resolve(module, 1, createSurface);
    Resolve(module, 2, createImage);
    Resolve(module, 3, createWindow);
    Resolve(module, 11, initialize);
    Resolve(module, 12, uninitialize);
    Resolve(module, 21, setDeviceLostHandler);
    Resolve(module, 22, onDeviceLost);
    Resolve(module, 23, addPrivateFont);
    Resolve(module, 24, removePrivateFont);
    return createSurface && createImage && createWindow && initialize && uninitialize && setDeviceLostHandler &&
           onDeviceLost && addPrivateFont && removePrivateFont;
}

Class_ZkWindow* TessaryModule::NewHiddenWindow(CREATESTRUCTW& block, int width, int height,
                                               const wchar_t* className) const
{
    block = {nullptr, GetModuleHandleW(nullptr), nullptr, nullptr, height, width, -4000, -4000, 0, L"", className, 0};
    const ZkWindowCreateInfo info{ZK_FOURCC_WINDOW, 76, 0, &block, WS_POPUP, 0, 0, nullptr, nullptr,
                                  nullptr, nullptr, SW_HIDE, 0};
    auto* window = Make<Class_ZkWindow>(createWindow, ZK_FOURCC_WINDOW);
    if (window && window->Create(&info) != ZK_OK)
        window->Release(), window = nullptr;
    return window;
}

StartedHost::StartedHost(const TessaryModule& module, int width, int height, const wchar_t* windowClass)
    : tessary(module), className(windowClass), initialised(module.initialize() == 1),
      window(module.NewHiddenWindow(block, width, height, windowClass))
{
}

Class_ZkGraphicSurface* StartedHost::Surface(uint32_t width, uint32_t height)
{
    auto* surface = TessaryModule::Make<Class_ZkGraphicSurface>(tessary.createSurface, ZK_FOURCC_SURFACE);
    const ZkSurfaceCreateInfo info{ZK_FOURCC_SURFACE, 28, 0, width, height,
                                   reinterpret_cast<uint64_t>(window ? window->GetWindowHandle() : nullptr)};
    if (surface && surface->Create(&info) != ZK_OK)
        surface->Release(), surface = nullptr;
    if (surface)
        surfaces.push_back(surface);
    return surface;
}

StartedHost::~StartedHost()
{
    for (Class_ZkGraphicSurface* surface : surfaces)
        surface->ResetData(), surface->Release();
    if (window) {
        const HWND handle = window->GetWindowHandle();
        window->ResetData(), window->Release();
        DestroyWindow(handle);
    }
    tessary.uninitialize();
    UnregisterClassW(className, GetModuleHandleW(nullptr));
}

} // namespace tessary_test
