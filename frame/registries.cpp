// The two registries. Their locks are re-entrant, so the device-loss walk may call back into them.
#include "frame/registries.h"
#include "frame/context.h"

namespace tessary {

WindowTargetMap& WindowTargets()
{
    static WindowTargetMap map;
    return map;
}

ObjectMap& Objects()
{
    static ObjectMap map;
    return map;
}

void RegisterWindowTarget(uint64_t windowHandle, Class_ZkWindowD2D* window, ID2D1DCRenderTarget* target)
{
    WindowTargetLockGuard lock;
    // Changes an existing entry in place, so a walk in progress over the map is not disturbed.
    WindowTargetEntry& entry = WindowTargets()[windowHandle];
    entry = WindowTargetEntry{windowHandle, window, target};
}

void UnregisterWindowTarget(uint64_t windowHandle)
{
    WindowTargetLockGuard lock;
    WindowTargets().erase(windowHandle);
}

ID2D1DCRenderTarget* FindWindowTarget(uint64_t windowKey)
{
    WindowTargetLockGuard lock;
    auto found = WindowTargets().find(windowKey);
    return found == WindowTargets().end() ? nullptr : found->second.target;
}

void RegisterObject(Class_ZkGraphicSurfaceD2D* object)
{
    GraphicsLockGuard lock;
    Objects()[reinterpret_cast<uintptr_t>(object)] = object;
}

void UnregisterObject(Class_ZkGraphicSurfaceD2D* object)
{
    GraphicsLockGuard lock;
    Objects().erase(reinterpret_cast<uintptr_t>(object));
}

} // namespace tessary
