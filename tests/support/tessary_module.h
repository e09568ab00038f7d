// tessary.dll as a host sees it: loaded at run time, every export found by its ordinal.
#pragma once

#include "support/host_environment.h"
#include <Tessary.h>
#include <initializer_list>
#include <vector>

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

// A region object of the host's, the union of `rects`; SetShape takes one over, every other use copies it.
inline Class_ZkRegion* NewRegion(std::initializer_list<RECT> rects)
{
    auto* region = new Class_ZkRegion{CreateRectRgn(0, 0, 0, 0), nullptr, CreateRectRgn(0, 0, 0, 0)};
    for (const RECT& r : rects) {
        SetRectRgn(region->scratch, r.left, r.top, r.right, r.bottom);
        CombineRgn(region->handle, region->handle, region->scratch, RGN_OR);
    }
    return region;
}

inline void DeleteRegion(Class_ZkRegion* region)
{
    DeleteObject(region->handle);
    DeleteObject(region->scratch);
    delete region->gdiplusRegion;
    delete region;
}

// A library started as a host starts it, with a hidden window and surfaces drawing with its device; the
// destructor releases them all, destroys the window, uninitialises, and unregisters the window class
// the library registered for the host (its procedure is the library's, which may be unloaded next).
struct StartedHost {
    StartedHost(const TessaryModule& tessary, int width, int height, const wchar_t* className);
    ~StartedHost();
    // A created surface of `width` x `height`, released with the host; null when it cannot be made.
    Class_ZkGraphicSurface* Surface(uint32_t width, uint32_t height);

    const TessaryModule& tessary;
    const wchar_t* const className;
    const bool initialised;
    CREATESTRUCTW block{};
    Class_ZkWindow* const window;
    std::vector<Class_ZkGraphicSurface*> surfaces;
};

} // namespace tessary_test
