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
};

} // namespace tessary_test
