// The opacity mask: LockAlphaMask hands the host a window into the surface's per-pixel opacity buffer
// and returns holding GraphicsLock, so no other thread draws while the host writes; UnlockAlphaMask
// applies the whole buffer by rebuilding the masked copy, and lets the lock go.
#include "frame/context.h"
#include "surface/surface.h"
#include <cstring>
#include <new>

using namespace tessary;

namespace {

// Inside the buffer and not empty, in signed 32-bit arithmetic.
bool FitsBuffer(const RECT& r, int32_t width, int32_t height)
{
    return 0 <= r.left && r.left < width && r.left < r.right && r.right <= width && 0 <= r.top && r.top < height &&
           r.top < r.bottom && r.bottom <= height;
}

} // namespace

uint32_t Class_ZkGraphicSurfaceD2D::LockAlphaMask(const RECT* rect, uint8_t** bits, int32_t* width, int32_t* height,
                                                  int32_t* stride)
{
    if (!createdFlag || !rect || !bits || !width || !height || !stride)
        return ZK_FAIL;
    EnterCriticalSection(&Context().graphicsLock);
    // A second lock on the same thread would enter the lock once more than the one unlock leaves it.
    if (alphaMaskLocked) {
        LeaveCriticalSection(&Context().graphicsLock);
        return ZK_FAIL;
    }
    // The buffer, when there is one, already has this size: Resize deletes it.
    opacityBufferWidth = TruncateToU32(surfaceRect.width);
    opacityBufferHeight = TruncateToU32(surfaceRect.height);
    const int32_t bufferWidth = int32_t(opacityBufferWidth), bufferHeight = int32_t(opacityBufferHeight);
    if (!FitsBuffer(*rect, bufferWidth, bufferHeight)) {
        LeaveCriticalSection(&Context().graphicsLock);
        return ZK_FAIL;
    }
    if (!opacityBuffer) {
        const size_t size = size_t(opacityBufferWidth) * opacityBufferHeight;
        opacityBuffer = new (std::nothrow) uint8_t[size];
        if (!opacityBuffer) {
            LeaveCriticalSection(&Context().graphicsLock);
            return ZK_FAIL;
        }
        // Fully opaque until the host writes: an untouched pixel shows unchanged.
        std::memset(opacityBuffer, 255, size);
    }
    *bits = opacityBuffer + rect->left + size_t(rect->top) * opacityBufferWidth;
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    *stride = bufferWidth;
    alphaMaskLocked = 1;
    AddToUpdateRegion(*rect);
    return ZK_OK; // GraphicsLock stays held until UnlockAlphaMask
}

uint32_t Class_ZkGraphicSurfaceD2D::UnlockAlphaMask()
{
    // Only the thread that locked may unlock: leaving a section another thread owns would corrupt it.
    if (!createdFlag || !alphaMaskLocked || !CallerHoldsGraphicsLock())
        return ZK_FAIL;
    modified = 1;
    // A failed publish leaves the published flag 0, and readers then take the unmasked pixels.
    PublishSurface();
    alphaMaskLocked = 0;
    LeaveCriticalSection(&Context().graphicsLock);
    return ZK_OK;
}
