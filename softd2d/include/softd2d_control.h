/*
 * Test control of softd2d, the software d2d1.dll. Tests find these entries with
 * GetProcAddress(GetModuleHandleW(L"d2d1.dll"), "SoftD2D_...") and skip themselves when they
 * are absent, as they are with the system's Direct2D.
 */
#ifndef SOFTD2D_CONTROL_H
#define SOFTD2D_CONTROL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum SoftD2DResourceKind {
    SOFTD2D_RESOURCE_DC_TARGET = 0,         /* ID2D1Factory::CreateDCRenderTarget */
    SOFTD2D_RESOURCE_COMPATIBLE_TARGET = 1, /* ID2D1RenderTarget::CreateCompatibleRenderTarget */
    SOFTD2D_RESOURCE_BRUSH = 2,             /* CreateSolidColorBrush, CreateBitmapBrush */
    SOFTD2D_RESOURCE_BITMAP = 3,            /* CreateBitmap, CreateBitmapFromWicBitmap */
    SOFTD2D_RESOURCE_KIND_COUNT = 4
} SoftD2DResourceKind;

/* Calls counted since the DLL loaded or the last reset, over all render targets. */
typedef struct SoftD2DCounters {
    UINT64 beginDraw;
    UINT64 endDraw;
    UINT64 clear;
    UINT64 fillRectangle;
    UINT64 drawBitmap;
    UINT64 fillOpacityMask;
    UINT64 pushAxisAlignedClip;
    UINT64 popAxisAlignedClip;
} SoftD2DCounters;

/* The next `count` EndDraw calls of `target` (any interface of it), or of any render target
 * when `target` is NULL, return `result` (a failure code such as D2DERR_RECREATE_TARGET).
 * E_INVALIDARG when result is not a failure or count is 0; E_OUTOFMEMORY when too many
 * injections are pending. */
typedef HRESULT(WINAPI* PFN_SoftD2D_FailNextEndDraw)(IUnknown* target, UINT32 count, HRESULT result);

/* The next `count` creations of resources of `kind` fail with `result`. */
typedef HRESULT(WINAPI* PFN_SoftD2D_FailNextCreate)(SoftD2DResourceKind kind, UINT32 count, HRESULT result);

/* Drops every pending injected failure. */
typedef void(WINAPI* PFN_SoftD2D_ClearFailures)(void);

/* Copies the counters; E_POINTER when counters is NULL. */
typedef HRESULT(WINAPI* PFN_SoftD2D_ReadCounters)(SoftD2DCounters* counters);
typedef void(WINAPI* PFN_SoftD2D_ResetCounters)(void);

/* COM objects of this DLL alive now: factories, render targets, bitmaps, brushes. */
typedef LONG(WINAPI* PFN_SoftD2D_LiveObjectCount)(void);

#ifdef __cplusplus
}
#endif

#endif /* SOFTD2D_CONTROL_H */
