#include "library_fixture.h"
#include "host_environment.h"
#include "frame/registries.h"
#include "readback.h"
#include "softd2d_control.h"
#include "surface/surface.h"
#include <Tessary.h>
#include <gdiplus.h>

namespace tessary_test {

void StartHostEnvironment()
{
    static bool started = [] {
        tessary::ProcessAttach(nullptr);
        StartGdiplusAndCom();
        return true;
    }();
    (void)started;
}

const QuillonControl& Quillon()
{
    static const QuillonControl control = [] {
        const HMODULE quillon = GetModuleHandleW(L"quillon.dll");
        return QuillonControl{ProcAddress<Quillon_RefuseLocks_t>(quillon, "Quillon_RefuseLocks"),
                              ProcAddress<Quillon_LastLockSite_t>(quillon, "Quillon_LastLockSite"),
                              ProcAddress<Quillon_HeldLocks_t>(quillon, "Quillon_HeldLocks"),
                              ProcAddress<Quillon_GetInterfaces_t>(quillon, "Quillon_GetInterfaces")};
    }();
    return control;
}

D2D1_RENDER_TARGET_PROPERTIES WindowTargetProperties()
{
    return D2D1_RENDER_TARGET_PROPERTIES{D2D1_RENDER_TARGET_TYPE_HARDWARE,
                                         {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED},
                                         0.0f,
                                         0.0f,
                                         D2D1_RENDER_TARGET_USAGE_GDI_COMPATIBLE,
                                         D2D1_FEATURE_LEVEL_DEFAULT};
}

std::vector<uint32_t> ReadPixels(Class_ZkGraphicSurfaceD2D* surface)
{
    ID2D1RenderTarget* target = surface->GetRenderTarget();
    std::vector<uint32_t> pixels = ReadPixels(target);
    if (target)
        target->Release();
    return pixels;
}

} // namespace tessary_test
