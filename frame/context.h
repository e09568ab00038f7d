// LibraryContext: the process-wide state of the library, its two locks, and the registries' home.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>
#include <atomic>
#include <cstdint>

namespace Gdiplus {
class Graphics;
}

namespace tessary {

using D2D1CreateFactoryFn = HRESULT(WINAPI*)(D2D1_FACTORY_TYPE, REFIID, const D2D1_FACTORY_OPTIONS*, void**);
using DWriteCreateFactoryFn = HRESULT(WINAPI*)(DWRITE_FACTORY_TYPE, REFIID, IUnknown**);
using UpdateLayeredWindowIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);

struct LibraryContext {
    std::atomic<uint32_t> attachCount{0};
    D2D1CreateFactoryFn d2d1CreateFactory = nullptr;
    DWriteCreateFactoryFn dwriteCreateFactory = nullptr;
    UpdateLayeredWindowIndirectFn updateLayeredWindowIndirect = nullptr; // absent on old systems
    CRITICAL_SECTION graphicsLock{};      // drawing, surface records, object registry, caches
    CRITICAL_SECTION windowTargetLock{};  // window-target registry; always taken after graphicsLock
    HWND deviceLostWindow = nullptr;
    UINT deviceLostMessage = 0;
    HDC memoryDC = nullptr;
    Gdiplus::Graphics* fontGraphics = nullptr; // converts GDI+ fonts to LOGFONTW
    ID2D1Factory* d2dFactory = nullptr;
    IDWriteFactory* dwriteFactory = nullptr;
    IDWriteFontCollectionLoader* fontCollectionLoader = nullptr; // process singletons of the text subsystem
    IDWriteFontFileLoader* fontFileLoader = nullptr;
    IWICImagingFactory* wicFactory = nullptr;
    wchar_t userLocale[256] = {};
    uint32_t initialised = 0;
};

LibraryContext& Context();

// Process attach and detach of the library module (DllMain reasons 1 and 0).
BOOL ProcessAttach(HMODULE module);
void ProcessDetach();

// Holds a critical section for a scope.
class ScopedLock {
public:
    explicit ScopedLock(CRITICAL_SECTION& section) : _section(section) { EnterCriticalSection(&_section); }
    ~ScopedLock() { LeaveCriticalSection(&_section); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CRITICAL_SECTION& _section;
};

class GraphicsLockGuard : public ScopedLock {
public:
    GraphicsLockGuard() : ScopedLock(Context().graphicsLock) {}
};

class WindowTargetLockGuard : public ScopedLock {
public:
    WindowTargetLockGuard() : ScopedLock(Context().windowTargetLock) {}
};

// The calling thread holds GraphicsLock. The section records its owner's thread id, so this is exact
// for the caller even while other threads wait on it.
inline bool CallerHoldsGraphicsLock()
{
    const CRITICAL_SECTION& section = Context().graphicsLock;
    return section.RecursionCount > 0 &&
           reinterpret_cast<uintptr_t>(section.OwningThread) == uintptr_t(GetCurrentThreadId());
}

// Posts the host's device-lost message when EndDraw reported a lost device and a handler is set.
void NotifyIfDeviceLost(HRESULT endDrawResult);

} // namespace tessary
