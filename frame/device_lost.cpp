// Device-loss notification and recovery: windows are rebuilt first, since every other target is
// made from a window target.
#include "frame/context.h"
#include "frame/registries.h"
#include "surface/surface.h"
#include "window/window.h"
#include <Tessary.h>

using namespace tessary;

namespace tessary {

void NotifyIfDeviceLost(HRESULT endDrawResult)
{
    const LibraryContext& c = Context();
    if (endDrawResult == static_cast<HRESULT>(D2DERR_RECREATE_TARGET) && c.deviceLostWindow && c.deviceLostMessage)
        PostMessageW(c.deviceLostWindow, c.deviceLostMessage, 0, 0);
}

} // namespace tessary

extern "C" void SetDeviceLostHandlerTessaryInternal(HWND window, uint32_t message)
{
    Context().deviceLostWindow = window;
    Context().deviceLostMessage = message;
}

extern "C" uint32_t OnDeviceLostTessaryInternal()
{
    try {
        GraphicsLockGuard graphics;
        bool ok = true;
        {
            WindowTargetLockGuard targets;
            // RecreateWindowTarget replaces entries in place; the map's structure does not change.
            for (auto& [handle, entry] : WindowTargets())
                if (!entry.window || entry.window->RecreateWindowTarget() == 0)
                    ok = false;
        }
        if (!ok)
            return 0;
        for (auto& [address, object] : Objects())
            if (object->RecreateDeviceResources() != 0)
                ok = false;
        return ok ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
