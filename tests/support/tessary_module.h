// tessary.dll as a host sees it: loaded at run time, every export found by its ordinal.
#pragma once

#include "support/host_environment.h"
#include <Tessary.h>

namespace tessary_test {

struct TessaryModule {
    HMODULE module = nullptr;
    decltype(&CreateInstance_ZkGraphicSurfaceD2D) createSurface = nullptr;
    decltype(&CreateInstance_ZkImageD2D) createImage = nullptr;
    decltype(&CreateInstance_ZkWindowD2D) createWindow = nullptr;
    decltype(&InitializeTessaryInternal) initialize = nullptr;
    decltype(&UninitializeTessaryInternal) uninitialize = nullptr;
    decltype(&SetDeviceLostHandlerTessaryInternal) setDeviceLostHandler = nullptr;
    decltype(&OnDeviceLostTessaryInternal) onDeviceLost = nullptr;
    decltype(&Tessary_AddPrivateFont) addPrivateFont = nullptr;
    decltype(&Tessary_RemovePrivateFont) removePrivateFont = nullptr;

    // Loads the library beside the test and resolves all nine exports; false when any is missing.
    bool Load();

    // A factory-made object's interface, holding the object's one reference; null when either step fails.
    template <class T>
    static T* Make(uint32_t (*factory)(void**), uint32_t fourcc)
    {
        void *raw = nullptr, *part = nullptr;
        if (factory(&raw) != ZK_OK)
            return nullptr;
        static_cast<Class_QUOR*>(raw)->QueryInterface(fourcc, &part);
        static_cast<Class_QUOR*>(raw)->Release();
        return static_cast<T*>(part);
    }
    // A hidden popup window of `width` x `height` off screen, created from `block`, which outlives it;
    // null when it cannot be made.
    Class_ZkWindow* NewHiddenWindow(CREATESTRUCTW& block, int width, int height, const wchar_t* className) const;
};

} // namespace tessary_test
