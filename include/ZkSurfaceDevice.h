// The drawing-surface implementation interface ('QGSX'): the device resources behind every surface,
// image and window. QueryInterface('QGSX') on any of them returns this part. Slot order is
// declaration order: the six operations below, 0 to 5.
#pragma once

#include "ZkGraphicSurface.h"

struct ID2D1RenderTarget;
struct ID2D1DCRenderTarget;

struct Class_ZkSurfaceDevice : public virtual Class_ZkGraphicSurface {
    // Rebuilds the own target on the window target of the window key (blank: the host redraws).
    // 0, or 0xFFFFFFFF when not created or when there is no window target.
    virtual uint32_t RecreateDeviceResources() = 0;
    // The own target with one added reference and no drawing pass open, or null.
    virtual ID2D1RenderTarget* GetRenderTarget() = 0;
    // The window target of the window key with one added reference, or null.
    virtual ID2D1DCRenderTarget* GetWindowRenderTarget() = 0;
    // Empties the process-wide text-format cache.
    virtual void ReleaseTextFormats() = 0;
    // Opens the drawing pass of the own target (once); the caller holds the graphics lock.
    virtual void BeginDrawPass() = 0;
    // Ends the open pass and uploads pending GDI+ drawing; the caller holds the graphics lock.
    virtual void EndDrawPass() = 0;
};
