// What the window's source files share: the component guard with the window's source position,
// the window-target properties, and small release helpers.
#pragma once

#include "window/window.h"
#include <quillon.h>

namespace tessary::window {

// The component library records where an object was locked: this file name and the build stamp,
// widened from the compiler's "Mmm dd yyyy" and "hh:mm:ss".
inline constexpr const wchar_t* kSourceFile = L".\\ZkWindow";
inline constexpr const wchar_t* kBuildDate = L"" __DATE__;
inline constexpr const wchar_t* kBuildTime = L"" __TIME__;

// Source lines the component guard is taken at, one per guarded operation.
inline constexpr uint32_t kLineCreate = 136;
inline constexpr uint32_t kLineReset = 163;
inline constexpr uint32_t kLinePresent = 411;
inline constexpr uint32_t kLineOperation = 646;

// The property every library window carries, naming its window object.
inline constexpr const wchar_t* kWindowProperty = L"ZkWindow::this";

// Holds the object's component lock for a scope. The operations that stop on a refused lock unlock
// only what they hold; the reset ignores a refusal and unlocks once at its end on every path, which the
// component library accepts as a no-op after a refusal.
class ComponentGuard {
public:
    enum class OnRefusal { Stop, GoOn };

    ComponentGuard(Class_QUOR* object, uint32_t line, OnRefusal onRefusal = OnRefusal::Stop)
        : _object(object), _held(LockObjectAt(object, kSourceFile, line, kBuildDate, kBuildTime) == 0),
          _unlock(_held || onRefusal == OnRefusal::GoOn)
    {
    }
    ~ComponentGuard()
    {
        if (_unlock)
            UnlockObjectAt(_object);
    }
    ComponentGuard(const ComponentGuard&) = delete;
    ComponentGuard& operator=(const ComponentGuard&) = delete;

    bool Held() const { return _held; }

private:
    Class_QUOR* _object;
    bool _held;
    bool _unlock;
};

// The window object named by the creation block that WM_NCCREATE carries, when that block is the one
// Create is passing to CreateWindowExW on this thread; null otherwise.
Class_ZkWindowD2D* WindowObjectOfCreation(const CREATESTRUCTW* systemBlock);

// A new window target from the library's Direct2D factory, cleared to transparent once; null on failure.
ID2D1DCRenderTarget* MakeWindowTarget();

// Fills the client area black through GDI, as the window looks before its first presentation.
void PaintClientBlack(HWND window);

// Deletes a region object the window owns: both handles, the GDI+ copy and the record.
void DestroyOwnedRegion(Class_ZkRegion*& region);

template <class T>
void ReleaseAndNull(T*& pointer)
{
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

} // namespace tessary::window
