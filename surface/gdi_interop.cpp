// GDI and GDI+ interoperation: CreateAlphaRegion reads the surface's picture back through Direct2D's
// GDI interop and turns the pixels whose alpha exceeds a threshold into one region; GetGdiplusBitmap
// hands the host a GDI+ bitmap whose pixels replace the surface's at the end of the next pass.
#include "frame/context.h"
#include "surface/region_builder.h"
#include "surface/surface.h"
#include <gdiplus.h>
#include <wrl/client.h>
#include <new>

using Microsoft::WRL::ComPtr;
using namespace tessary;

namespace {

// A 32-bit top-down DIB section, four bytes per pixel (blue, green, red, alpha), selected into a
// memory DC whose state is restored before anything is deleted.
class ReadbackDib {
public:
    ReadbackDib(int32_t columns, int32_t rows)
    {
        BITMAPV4HEADER header{};
        header.bV4Size = sizeof(BITMAPV4HEADER);
        header.bV4Width = columns;
        header.bV4Height = -rows;
        header.bV4Planes = 1;
        header.bV4BitCount = 32;
        header.bV4V4Compression = BI_BITFIELDS;
        header.bV4RedMask = 0x00FF0000;
        header.bV4GreenMask = 0x0000FF00;
        header.bV4BlueMask = 0x000000FF;
        header.bV4AlphaMask = 0xFF000000;
        dc = CreateCompatibleDC(nullptr);
        void* memory = nullptr;
        dib = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &memory, nullptr, 0);
        if (!dc || !dib || !memory)
            return;
        pixels = static_cast<const uint8_t*>(memory);
        saved = SaveDC(dc);
        // Blits from the interop DC must not be mirrored, whatever layout the process defaults to.
        SetLayout(dc, LAYOUT_BITMAPORIENTATIONPRESERVED);
        SelectObject(dc, dib);
    }
    ~ReadbackDib()
    {
        if (saved)
            RestoreDC(dc, saved);
        if (dib)
            DeleteObject(dib);
        if (dc)
            DeleteDC(dc);
    }
    ReadbackDib(const ReadbackDib&) = delete;
    ReadbackDib& operator=(const ReadbackDib&) = delete;

    HDC dc = nullptr;
    HBITMAP dib = nullptr;
    const uint8_t* pixels = nullptr; // null when the DIB could not be made
    int saved = 0;
};

// BitBlts the picture of `target` through its GDI interop interface; the DIB stays zero without one.
void CopyThroughInterop(ID2D1RenderTarget* target, HDC into, int32_t width, int32_t height)
{
    ComPtr<ID2D1GdiInteropRenderTarget> interop;
    if (!target || FAILED(target->QueryInterface(interop.GetAddressOf())) || !interop)
        return;
    HDC dc = nullptr;
    if (SUCCEEDED(interop->GetDC(D2D1_DC_INITIALIZE_MODE_COPY, &dc)) && dc) {
        BitBlt(into, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        // Nothing was changed through GDI.
        const RECT unchanged{0, 0, 0, 0};
        interop->ReleaseDC(&unchanged);
    }
}

// One rectangle (start, row, end, row + 1) per run of pixels whose alpha exceeds the threshold,
// row by row from the top, left to right.
HRGN RegionFromAlpha(const uint8_t* pixels, int32_t columns, int32_t rows, uint8_t threshold)
{
    // Runs are disjoint and come in GDI's own order, so large chunks stay cheap.
    RegionBuilder region(RegionBuilder::kMaxChunk);
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* line = pixels + size_t(row) * size_t(columns) * 4;
        int32_t x = 0;
        while (x < columns) {
            if (line[size_t(x) * 4 + 3] <= threshold) {
                ++x;
                continue;
            }
            const int32_t start = x;
            while (x < columns && line[size_t(x) * 4 + 3] > threshold)
                ++x;
            region.Add(RECT{start, row, x, row + 1});
        }
    }
    return region.Finish();
}

} // namespace

HRGN Class_ZkGraphicSurfaceD2D::CreateAlphaRegion(uint8_t threshold, uint32_t* value)
{
    if (!createdFlag)
        return nullptr;
    GraphicsLockGuard lock;
    if (!ownTarget)
        return nullptr;
    // All drawing so far, and any pending GDI+ upload, goes into the bitmap first.
    EndDrawPass();
    const RECT bounds = PixelRect(surfaceRect);
    const int32_t columns = bounds.right - bounds.left, rows = bounds.bottom - bounds.top;
    if (columns <= 0 || rows <= 0)
        return nullptr;
    ReadbackDib dib(columns, rows);
    if (!dib.pixels)
        return nullptr;

    const int32_t width = TruncateToI32(surfaceRect.width), height = TruncateToI32(surfaceRect.height);
    if (published && maskedCopy) {
        // GDI interop only gives a DC inside a pass, so the masked copy is read in a pass of its own
        // and the region reflects the masked picture that DrawTo would draw.
        maskedCopy->BeginDraw();
        CopyThroughInterop(maskedCopy, dib.dc, width, height);
        NotifyIfDeviceLost(maskedCopy->EndDraw(nullptr, nullptr));
    } else {
        BeginDrawPass();
        CopyThroughInterop(ownTarget, dib.dc, width, height);
        EndDrawPass();
    }
    GdiFlush();

    HRGN region = RegionFromAlpha(dib.pixels, columns, rows, threshold);
    if (value)
        *value = 2;
    return region;
}

Gdiplus::Bitmap* Class_ZkGraphicSurfaceD2D::GetGdiplusBitmap()
{
    if (!createdFlag)
        return nullptr;
    GraphicsLockGuard lock;
    gdiplusUpload = 1;
    if (!gdiplusBitmap) {
        // GDI+'s allocator, as the wrapper's own operator new uses, but checked: that one may return
        // null to a constructor. A failing GdipCreateBitmapFromScan0 still leaves an object whose last
        // status tells the host why.
        void* memory = Gdiplus::DllExports::GdipAlloc(sizeof(Gdiplus::Bitmap));
        if (memory)
            gdiplusBitmap = ::new (memory) Gdiplus::Bitmap(TruncateToI32(surfaceRect.width),
                                                           TruncateToI32(surfaceRect.height), PixelFormat32bppARGB);
    }
    return gdiplusBitmap;
}
