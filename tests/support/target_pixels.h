// Pixels read back through GDI interop, with Windows headers alone: for the host programs of either
// flavour as for the white-box suites.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <cstdint>
#include <vector>

namespace tessary_test {

// A DC's pixels from (x, y), alpha included, through a 32-bit top-down DIB section: 0xAARRGGBB, rows
// top down; empty when they cannot be read.
inline std::vector<uint32_t> CopyDC(HDC source, int32_t width, int32_t height, int32_t x = 0, int32_t y = 0)
{
    std::vector<uint32_t> pixels;
    if (!source || width <= 0 || height <= 0)
        return pixels;
    const BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    if (dib && memory && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        // A 32-bit DIB to a 32-bit DIB copies all four bytes, alpha included.
        if (BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY)) {
            GdiFlush();
            pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(width) * size_t(height));
        }
        SelectObject(memory, old);
    }
    if (memory)
        DeleteDC(memory);
    if (dib)
        DeleteObject(dib);
    return pixels;
}

// A render target's premultiplied pixels through its GDI interop, inside a pass of its own; empty when
// they cannot be read.
inline std::vector<uint32_t> ReadPixels(ID2D1RenderTarget* target)
{
    std::vector<uint32_t> pixels;
    ID2D1GdiInteropRenderTarget* interop = nullptr;
    if (!target ||
        FAILED(target->QueryInterface(__uuidof(ID2D1GdiInteropRenderTarget), reinterpret_cast<void**>(&interop))))
        return pixels;
    const D2D1_SIZE_U size = target->GetPixelSize();
    target->BeginDraw();
    HDC dc = nullptr;
    if (SUCCEEDED(interop->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc)) && dc) {
        pixels = CopyDC(dc, int32_t(size.width), int32_t(size.height));
        const RECT none{0, 0, 0, 0};
        interop->ReleaseDC(&none);
    }
    target->EndDraw(nullptr, nullptr);
    interop->Release();
    return pixels;
}

} // namespace tessary_test
