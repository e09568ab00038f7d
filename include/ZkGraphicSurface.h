// The drawing surface interface ('QGSF'). Slot order is declaration order: the 21 drawing
// operations, 0 to 20. The component operations it makes pure again keep their Class_QUOR slots
// (in the g++ flavour's ABI they are also repeated after the drawing operations).
#pragma once

#include "ZkTypes.h"
#include <quillon.h>

// winuser.h maps DrawText to DrawTextW; the operation below keeps its own name. Call DrawTextW by name.
#undef DrawText

struct Class_ZkGraphicSurface : public virtual Class_QUOR {
    virtual uint32_t Reserved0() = 0;
    virtual uint32_t Reserved1(void* unused) = 0;
    virtual uint32_t DrawTo(Class_ZkGraphicSurface* target, const POINT* destination, const RECT* source,
                            RECT* drawn) = 0;
    virtual uint32_t DrawToAlpha(uint8_t alpha, Class_ZkGraphicSurface* target, const POINT* destination,
                                 const RECT* source, RECT* drawn) = 0;
    virtual uint32_t DrawToScaled(Class_ZkGraphicSurface* target, const POINT* destination, double scaleX,
                                  double scaleY, const RECT* source, RECT* drawn) = 0;
    virtual uint32_t FillRect(uint32_t colour, const RECT* rect) = 0; // colour 0xAABBGGRR, straight alpha
    virtual uint32_t ClearRegion(Class_ZkRegion* region) = 0;          // clips `region` in place
    virtual uint32_t ClearRect(const RECT* rect, uint32_t colour) = 0;
    virtual uint32_t DrawText(const POINT* origin, uint32_t colour, const wchar_t* text, const Gdiplus::Font* font,
                              uintptr_t unused1, uintptr_t unused2, RECT* bounds) = 0;
    // On success returns with the library's graphics lock held until UnlockAlphaMask.
    virtual uint32_t LockAlphaMask(const RECT* rect, uint8_t** bits, int32_t* width, int32_t* height,
                                   int32_t* stride) = 0;
    virtual uint32_t UnlockAlphaMask() = 0;
    virtual uint32_t GetSize(SIZE* size) = 0;
    // Refused (0xFFFFFFFF, nothing changed) while the opacity mask is locked.
    virtual uint32_t Resize(const SIZE* size) = 0;
    virtual uint32_t SetBltRect(const RECT* rect) = 0;
    virtual uint32_t GetBltRect(RECT* rect) = 0;
    virtual uint32_t SetClipRegion(const Class_ZkRegion* region) = 0;
    virtual uint32_t GetClipRegion(Class_ZkRegion* region) = 0;
    virtual HRGN CreateAlphaRegion(uint8_t threshold, uint32_t* value) = 0; // the caller deletes the region
    virtual void SetUpdateOnClear(uint32_t enabled) = 0;
    virtual uint32_t MeasureText(RECT* bounds, const wchar_t* text, const Gdiplus::Font* font) = 0;
    virtual Gdiplus::Bitmap* GetGdiplusBitmap() = 0; // owned by the surface

    uint32_t Create(const void* record) override = 0;
    uint32_t ResetData() override = 0;
    uint32_t QueryInterface(uint32_t fourcc, void** out) override = 0;

protected:
    uint32_t AddInterface(uint32_t value) override = 0;
    uint32_t DeleteInterface() override = 0;
};
