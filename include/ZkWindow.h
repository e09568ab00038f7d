// The window interface ('QWND'): a layered top-level window with a drawing surface of its client size.
#pragma once

#include "ZkGraphicSurface.h"

struct Class_ZkWindow;

// A host message handler; its result becomes the window procedure's result.
typedef LRESULT (*ZkMessageHandler)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    Class_ZkWindow* zkWindow);

// SetClientSize flag: resize only the surface and the shape mask, not the system window.
inline constexpr uint32_t ZK_CLIENT_SIZE_SURFACE_ONLY = 1;

struct Class_ZkWindow : public virtual Class_ZkGraphicSurface {
    virtual ZkMessageHandler SetMessageHandler(UINT message, ZkMessageHandler handler) = 0;
    virtual ZkMessageHandler RemoveMessageHandler(UINT message) = 0;
    virtual uint32_t SuspendMessageHandler(UINT message) = 0;
    virtual uint32_t ResumeMessageHandler(UINT message) = 0;
    virtual uint32_t Present() = 0;
    virtual uint32_t Invalidate(const RECT* rect) = 0;
    virtual HWND GetWindowHandle() = 0;
    virtual BOOL IsActive() = 0;
    virtual HINSTANCE GetInstanceHandle() = 0;
    virtual HCURSOR SetWindowCursor(HCURSOR cursor) = 0;
    // Refused (0xFFFFFFFF, nothing changed) while the opacity mask is locked.
    virtual uint32_t SetClientSize(const SIZE* size, uint32_t flags) = 0;
    virtual uint32_t SetOpacity(uint8_t opacity) = 0;
    virtual uint8_t GetOpacity() = 0;
    virtual LRESULT SendWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void SetShape(Class_ZkRegion* shape) = 0; // the window takes ownership of the region object
    virtual void Reserved15() = 0;

    uint32_t Create(const void* record) override = 0;
    uint32_t ResetData() override = 0;
    uint32_t QueryInterface(uint32_t fourcc, void** out) override = 0;

protected:
    uint32_t AddInterface(uint32_t value) override = 0;
    uint32_t DeleteInterface() override = 0;
};
