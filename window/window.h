// Class_ZkWindowD2D: a layered top-level window that owns the device (its window target), holds a
// surface of its client size, presents it with UpdateLayeredWindowIndirect and serves host handlers.
#pragma once

#include "surface/surface.h"
#include <ZkWindow.h>
#include <map>

class Class_ZkWindowD2D : public virtual Class_ZkGraphicSurfaceD2D, public virtual Class_ZkWindow {
public:
    Class_ZkWindowD2D();
    ~Class_ZkWindowD2D() override;

    // Renews the window target after device loss; 1 on success, 0 with the old target kept.
    virtual uint32_t RecreateWindowTarget();

    // The 16 window operations.
    ZkMessageHandler SetMessageHandler(UINT message, ZkMessageHandler handler) override;
    ZkMessageHandler RemoveMessageHandler(UINT message) override;
    uint32_t SuspendMessageHandler(UINT message) override;
    uint32_t ResumeMessageHandler(UINT message) override;
    uint32_t Present() override;
    uint32_t Invalidate(const RECT* rect) override;
    HWND GetWindowHandle() override;
    BOOL IsActive() override;
    HINSTANCE GetInstanceHandle() override;
    HCURSOR SetWindowCursor(HCURSOR cursor) override;
    uint32_t SetClientSize(const SIZE* size, uint32_t flags) override;
    uint32_t SetOpacity(uint8_t opacity) override;
    uint8_t GetOpacity() override;
    LRESULT SendWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetShape(Class_ZkRegion* shape) override;
    void Reserved15() override;

    uint32_t RecreateDeviceResources() override;

    uint32_t Create(const void* record) override;
    uint32_t ResetData() override;
    uint32_t QueryInterface(uint32_t fourcc, void** out) override;

    // Builds the shape mask, its bitmap and the composition target for the current shape and size.
    void RebuildShapeMask();

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    struct HandlerEntry {
        ZkMessageHandler active = nullptr;
        ZkMessageHandler suspended = nullptr;
    };

    // Window fields; all zero or null when constructed and after ResetData.
    HINSTANCE instance = nullptr;
    HWND windowHandle = nullptr;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    HCURSOR cursor = nullptr;
    uint32_t reservedValue = 0;
    std::map<UINT, HandlerEntry>* handlers = nullptr;
    uint8_t windowOpacity = 0;
    Class_ZkRegion* shapeRegion = nullptr;
    ID2D1BitmapRenderTarget* compositionTarget = nullptr;
    uint8_t* shapeMask = nullptr;
    ID2D1Bitmap* shapeMaskBitmap = nullptr;
    ID2D1DCRenderTarget* windowTarget = nullptr;

protected:
    uint32_t AddInterface(uint32_t value) override;
    uint32_t DeleteInterface() override;

private:
    // Creation steps after the record checks; a failing step throws its status code.
    void RunCreationSteps(const ZkWindowCreateInfo& info);
    // Unregisters the window target; true when it was still registered as this window's, and so
    // is still this window's to release.
    bool TakeWindowTargetOutOfRegistry();
    // Drops the handler table, the shape resources and the window target (ResetData, destructor).
    void ReleaseWindowResources(bool releaseWindowTarget);
    // Draws the own target through the shape mask into the composition target.
    void ComposeThroughShape();
    // Resizes the system window until its client area is cx x cy, at most three tries.
    void FitWindowToClientSize(int32_t cx, int32_t cy);
    // The window procedure's work for a window that carries this object's property.
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The window that carries this object's property. ResetData forgets the window handle but not
    // this, so the destructor can take the property off a window the host left alive.
    HWND _propertyWindow = nullptr;
};
