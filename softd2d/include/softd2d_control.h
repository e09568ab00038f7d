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
    UINT64 fallible; /* fallible calls made (see SoftD2D_FailNthCall) */
} SoftD2DCounters;

/* The calls SoftD2D_FailNthCall counts. Fallible calls are the ones Direct2D may fail:
 * D2D1CreateFactory; every creation of a target, bitmap or brush; GetDC and ReleaseDC;
 * CopyFromBitmap and CopyFromMemory; EndDraw. */
typedef enum SoftD2DCallSet {
    SOFTD2D_CALLS_FALLIBLE = 0, /* every fallible call */
    SOFTD2D_CALLS_END_DRAW = 1, /* EndDraw alone, of any render target */
    SOFTD2D_CALL_SET_COUNT = 2
} SoftD2DCallSet;

/* The next `count` EndDraw calls of `target` (any interface of it), or of any render target
 * when `target` is NULL, return `result` (a failure code such as D2DERR_RECREATE_TARGET).
 * E_INVALIDARG when result is not a failure or count is 0; E_OUTOFMEMORY when too many
 * injections are pending. */
typedef HRESULT(WINAPI* PFN_SoftD2D_FailNextEndDraw)(IUnknown* target, UINT32 count, HRESULT result);

/* The next `count` creations of resources of `kind` fail with `result`. */
typedef HRESULT(WINAPI* PFN_SoftD2D_FailNextCreate)(SoftD2DResourceKind kind, UINT32 count, HRESULT result);

/* The `n`th call of `set` from now (1: the next one) and the `count` - 1 calls of the set after it
 * fail with `result` instead of doing their work: a creation gives no object, a copy copies
 * nothing, GetDC gives no DC, ReleaseDC keeps the DC out, EndDraw ends the pass as usual and
 * returns `result`. One such run of failures is armed per set; n = 0 or count = 0 disarms it.
 * E_INVALIDARG for an unknown set, or a result that is not a failure. */
typedef HRESULT(WINAPI* PFN_SoftD2D_FailNthCall)(SoftD2DCallSet set, UINT64 n, UINT64 count, HRESULT result);

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
