// Class_ZkGraphicSurfaceD2D: the drawing surface on Direct2D. Images and windows contain one and
// reuse every drawing operation unchanged.
#pragma once

#include "geometry.h"
#include <ZkSurfaceDevice.h>
#include <d2d1.h>
#include <vector>

// Its part is the one hosts reach by QueryInterface('QGSX'): it implements Class_ZkSurfaceDevice.
class Class_ZkGraphicSurfaceD2D : public Class_ZkSurfaceDevice {
public:
    Class_ZkGraphicSurfaceD2D();
    ~Class_ZkGraphicSurfaceD2D() override;

    // Render-target holder, in slot order.
    uint32_t RecreateDeviceResources() override;
    ID2D1RenderTarget* GetRenderTarget() override;         // the own target with a reference, pass ended
    ID2D1DCRenderTarget* GetWindowRenderTarget() override; // the window target with a reference
    void ReleaseTextFormats() override;
    void BeginDrawPass() override;
    void EndDrawPass() override;

    // The 21 drawing operations.
    uint32_t Reserved0() override;
    uint32_t Reserved1(void* unused) override;
    uint32_t DrawTo(Class_ZkGraphicSurface* target, const POINT* destination, const RECT* source,
                    RECT* drawn) override;
    uint32_t DrawToAlpha(uint8_t alpha, Class_ZkGraphicSurface* target, const POINT* destination, const RECT* source,
                         RECT* drawn) override;
    uint32_t DrawToScaled(Class_ZkGraphicSurface* target, const POINT* destination, double scaleX, double scaleY,
                          const RECT* source, RECT* drawn) override;
    uint32_t FillRect(uint32_t colour, const RECT* rect) override;
    uint32_t ClearRegion(Class_ZkRegion* region) override;
    uint32_t ClearRect(const RECT* rect, uint32_t colour) override;
    uint32_t DrawText(const POINT* origin, uint32_t colour, const wchar_t* text, const Gdiplus::Font* font,
                      uintptr_t unused1, uintptr_t unused2, RECT* bounds) override;
    uint32_t LockAlphaMask(const RECT* rect, uint8_t** bits, int32_t* width, int32_t* height,
                           int32_t* stride) override;
    uint32_t UnlockAlphaMask() override;
    uint32_t GetSize(SIZE* size) override;
    uint32_t Resize(const SIZE* size) override;
    uint32_t SetBltRect(const RECT* rect) override;
    uint32_t GetBltRect(RECT* rect) override;
    uint32_t SetClipRegion(const Class_ZkRegion* region) override;
    uint32_t GetClipRegion(Class_ZkRegion* region) override;
    HRGN CreateAlphaRegion(uint8_t threshold, uint32_t* value) override;
    void SetUpdateOnClear(uint32_t enabled) override;
    uint32_t MeasureText(RECT* bounds, const wchar_t* text, const Gdiplus::Font* font) override;
    Gdiplus::Bitmap* GetGdiplusBitmap() override;

    // Component side.
    uint32_t Create(const void* record) override;
    uint32_t ResetData() override;
    uint32_t QueryInterface(uint32_t fourcc, void** out) override;

    // Rebuilds the masked copy from the own bitmap and the opacity buffer; 0 or 0xFFFFFFFF.
    uint32_t PublishSurface();

    // The surface's whole Create (record checks, target, regions, created flag); images and windows
    // create their surface part with it.
    uint32_t CreateSurface(const ZkSurfaceCreateInfo* info);
    // The surface's whole ResetData, ending with the base's; returns the base's result.
    uint32_t ResetSurface();

    // Shared helpers; callers hold GraphicsLock.
    // A large update region is not rewritten by every small operation: once kExactUpdateAdds rectangles
    // have joined it since it was last emptied, further rectangles wait in pendingUpdates (the update
    // box stays exact) and FoldUpdateRegion unites them in one go. Whoever reads or changes the handle
    // folds first. The result is the same region: GDI keeps every region in one normalised form.
    void AddToUpdateRegion(const RECT& rect);
    void AddToUpdateRegion(HRGN region);
    void EmptyUpdateRegion();
    void FoldUpdateRegion();
    // After the handle has been emptied directly: the pending rectangles are dropped with it.
    void ForgetUpdateAdditions();
    void ClipRegionChanged();
    ID2D1SolidColorBrush* BrushForColour(uint32_t colour); // from the brush cache; no reference added

    // The surface record, in declaration order.
    tessary::RectF surfaceRect;
    uint8_t opacity = 255;
    uint32_t alphaMaskLocked = 0;
    tessary::RectF bltRect;
    uint32_t modified = 1;
    Class_ZkRegion updateRegion{};
    tessary::RectF updateBox;
    Class_ZkRegion clipRegion{};
    uint8_t* opacityBuffer = nullptr;
    uint32_t opacityBufferWidth = 0;
    uint32_t opacityBufferHeight = 0;
    uint32_t updateOnClear = 0;
    ID2D1RenderTarget* ownTarget = nullptr;
    ID2D1RenderTarget* maskedCopy = nullptr;
    Gdiplus::Bitmap* gdiplusBitmap = nullptr;
    uint32_t gdiplusUpload = 0;
    uint64_t windowKey = 0;
    uint32_t drawing = 0;
    uint32_t published = 0;
    // Kept apart from the record above: the batched update rectangles (see AddToUpdateRegion).
    std::vector<RECT> pendingUpdates;
    RECT updateBounds{};      // the bounds of the handle and the pending rectangles, while updateAdds > 0
    uint32_t updateAdds = 0;  // rectangles added since the update region was last emptied
    // GetRgnBox of the clip handle, refreshed by ClipRegionChanged wherever its shape changes, so that
    // a drawing operation needs no region call to clip against the usual one-rectangle clip region.
    int clipKind = NULLREGION;
    RECT clipBox{};

protected:
    uint32_t AddInterface(uint32_t value) override;
    uint32_t DeleteInterface() override;

    // A new own target from the window target of windowKey (grayscale text), replacing the old one;
    // 0, or 0xFFFFFFFF with the old one kept.
    uint32_t MakeOwnTarget();
    // A GDI-compatible premultiplied BGRA bitmap target of the surface rectangle's size, made on the
    // window target of windowKey; false, with *created null, without a window target or when refused.
    bool CreateCompatibleTarget(ID2D1BitmapRenderTarget** created);
    // Returns every member to its constructed value and releases every resource, without the base.
    void ReleaseSurfaceState();

private:
    // Copies the GDI+ bitmap's rows over the own target's bitmap, as they are.
    void UploadGdiplusBitmap();
    // Clears each rectangle of `area` to `colour` (null: transparent black), then ends the pass.
    void ClearPieces(HRGN area, const D2D1_COLOR_F* colour);
    // The update region after a clear of `cleared`, as the update-on-clear flag decides.
    void UpdateAfterClear(HRGN cleared);
};
