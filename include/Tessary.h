// Tessary for hosts: the interfaces and the exports of tessary.dll. Link against tessary and quillon
// of the flavour built for the host compiler's C++ ABI: the MSVC-ABI DLLs for Visual C++ and
// clang-cl hosts, the g++ DLLs for MinGW-w64 g++ hosts.
#pragma once

#include "ZkGraphicSurface.h"
#include "ZkImage.h"
#include "ZkSurfaceDevice.h"
#include "ZkWindow.h"

#ifdef TESSARY_BUILD
#define TESSARY_API extern "C"
#else
#define TESSARY_API extern "C" __declspec(dllimport)
#endif

// Factories (ordinals 1 to 3): *out receives the new object's Class_QUOR pointer, not created,
// with one reference. 0 on success, 0xFFFFFFFF on failure.
TESSARY_API uint32_t CreateInstance_ZkGraphicSurfaceD2D(void** out);
TESSARY_API uint32_t CreateInstance_ZkImageD2D(void** out);
TESSARY_API uint32_t CreateInstance_ZkWindowD2D(void** out);

// Ordinal 11: 1 when initialised. The host has started GDI+ and initialised COM on this thread.
TESSARY_API uint32_t InitializeTessaryInternal();
// Ordinal 12: every object has been released before.
TESSARY_API void UninitializeTessaryInternal();

// Ordinal 21: window and message posted (both parameters 0) when the graphics device is lost.
TESSARY_API void SetDeviceLostHandlerTessaryInternal(HWND window, uint32_t message);
// Ordinal 22: rebuilds every window target, then every object's resources; 1 when all succeeded.
TESSARY_API uint32_t OnDeviceLostTessaryInternal();

// Ordinals 23 and 24: font files usable by family name in text drawing, for this process only.
TESSARY_API void Tessary_AddPrivateFont(const wchar_t* path);
TESSARY_API void Tessary_RemovePrivateFont(const wchar_t* path);
