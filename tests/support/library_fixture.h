// Shared set-up for white-box tests that link the library statically: the module's attach, GDI+
// and COM as a host starts them, and the controls of our Quillon build.
#pragma once

#include "frame/context.h"
#include <quillon_testing.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <vector>

class Class_ZkGraphicSurfaceD2D;

namespace tessary_test {

// Attaches the library once per process and keeps GDI+ and COM running for the whole test run.
void StartHostEnvironment();

// Quillon's test controls, found by name in quillon.dll.
struct QuillonControl {
    Quillon_RefuseLocks_t refuseLocks = nullptr;
    Quillon_LastLockSite_t lastLockSite = nullptr;
    Quillon_HeldLocks_t heldLocks = nullptr;
    Quillon_GetInterfaces_t getInterfaces = nullptr;
};
const QuillonControl& Quillon();

// The window-target render-target properties the library uses.
D2D1_RENDER_TARGET_PROPERTIES WindowTargetProperties();

// The pixels of a surface's own target (of a window's too), as 0xAARRGGBB, row by row.
std::vector<uint32_t> ReadPixels(Class_ZkGraphicSurfaceD2D* surface);

// A message-only window that hears of device loss, for SetDeviceLostHandlerTessaryInternal.
struct DeviceLostListener {
    static constexpr UINT kMessage = WM_APP + 7;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~DeviceLostListener() { DestroyWindow(window); }
    // The notices posted since the last call (and taken off the queue), each with both parameters 0.
    int Heard()
    {
        int count = 0;
        for (MSG message; PeekMessageW(&message, window, kMessage, kMessage, PM_REMOVE);)
            count += message.wParam == 0 && message.lParam == 0;
        return count;
    }
};

} // namespace tessary_test
