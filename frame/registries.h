// ObjectRegistry (every live surface, image and window, by address) and WindowTargetRegistry
// (each window's DC render target, by window handle). Both are walked in ascending key order.
#pragma once

#include <d2d1.h>
#include <cstdint>
#include <map>

class Class_ZkGraphicSurfaceD2D;
class Class_ZkWindowD2D;

namespace tessary {

struct WindowTargetEntry {
    uint64_t windowHandle;
    Class_ZkWindowD2D* window;
    ID2D1DCRenderTarget* target; // shares the window's reference
};

using WindowTargetMap = std::map<uint64_t, WindowTargetEntry>;
using ObjectMap = std::map<uintptr_t, Class_ZkGraphicSurfaceD2D*>;

// Under WindowTargetLock. Registering a handle again replaces the entry's window and target in place.
void RegisterWindowTarget(uint64_t windowHandle, Class_ZkWindowD2D* window, ID2D1DCRenderTarget* target);
void UnregisterWindowTarget(uint64_t windowHandle);
// The target registered under exactly that key, without an added reference, or null.
ID2D1DCRenderTarget* FindWindowTarget(uint64_t windowKey);

// Under GraphicsLock, from construction to destruction of an object's surface part.
void RegisterObject(Class_ZkGraphicSurfaceD2D* object);
void UnregisterObject(Class_ZkGraphicSurfaceD2D* object);

// The maps themselves, for the walks of device-loss recovery and uninitialise; callers hold the lock.
WindowTargetMap& WindowTargets();
ObjectMap& Objects();

} // namespace tessary
